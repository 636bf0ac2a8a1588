# Names the page's scripts and style sheet by their contents: NAME.css and
# NAME.js become NAME.DIGEST.css and NAME.DIGEST.js, DIGEST the start of the
# file's SHA-256, and index.html names them so. A name then always means the
# same bytes, so no cache can pair a new index.html with an old script, and
# while a new release is copied over an old one the old files stay beside the
# new ones until the new index.html asks for them. A file named so already is
# named again from what it holds now.
#   cmake -D PAGE=FOLDER -P page-names.cmake
file(READ ${PAGE}/index.html index)
set(pattern "\"(ostrilume[-a-z]*)(\\.[0-9a-f]+)?\\.(js|css)\"")
string(REGEX MATCHALL "${pattern}" references "${index}")
foreach(reference IN LISTS references)
  string(REGEX MATCH "${pattern}" name "${reference}")
  set(stem ${CMAKE_MATCH_1})
  set(extension ${CMAKE_MATCH_3})
  string(REPLACE "\"" "" name "${name}")
  file(SHA256 ${PAGE}/${name} digest)
  string(SUBSTRING ${digest} 0 8 digest)
  set(named ${stem}.${digest}.${extension})
  if(NOT named STREQUAL name)
    file(RENAME ${PAGE}/${name} ${PAGE}/${named})
    string(REPLACE "\"${name}\"" "\"${named}\"" index "${index}")
  endif()
endforeach()
file(WRITE ${PAGE}/index.html "${index}")
