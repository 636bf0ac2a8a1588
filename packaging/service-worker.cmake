# The page's service worker (web/ostrilume-sw.js) with the files it keeps,
# each with its SHA-256, and its cache's name written in: the program's
# version and a digest of those files, so that any change of the page
# replaces them in the browser, and only by the files of its own release. It
# keeps every file of the folder but itself and the icons, which the browser
# keeps with an installed page on its own.
#   cmake -D TEMPLATE=JS -D OUTPUT=JS -D VERSION=V -D PAGE=FOLDER -P service-worker.cmake
file(GLOB files RELATIVE ${PAGE} ${PAGE}/*)
list(FILTER files EXCLUDE REGEX "^ostrilume-sw\\.js$|\\.png$")
list(SORT files)
set(digests "")
set(kept "")
foreach(name IN LISTS files)
  file(SHA256 ${PAGE}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
  string(SUBSTRING ${digest} 0 16 short)
  string(APPEND kept "    '${name}': '${short}',\n")
endforeach()
string(SHA256 digest "${digests}")
string(SUBSTRING ${digest} 0 16 digest)
set(OSTRILUME_PAGE_VERSION "${VERSION}-${digest}")
set(OSTRILUME_KEPT_FILES "${kept}")
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
