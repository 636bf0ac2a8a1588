# The page's service worker (web/ostrilume-sw.js) with the files it keeps,
# each with its SHA-256, and its cache's name written in: the program's
# version and a digest of those files, so that any change of the page
# replaces them in the browser, and only by the files of its own release.
#   cmake -D TEMPLATE=JS -D OUTPUT=JS -D VERSION=V -D PAGE=FOLDER -D FILES=NAME:NAME:... -P service-worker.cmake
string(REPLACE ":" ";" files "${FILES}")
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
