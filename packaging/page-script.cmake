# A script of the page as the browser gets it: the source without the lines
# that are only a comment, which are for the reader of the source and would
# otherwise be a tenth of what a pupil's browser downloads.
#   cmake -D INPUT=JS -D OUTPUT=JS -P page-script.cmake
file(READ ${INPUT} text)
string(REGEX REPLACE "\n[ ]*//[^\n]*" "" text "${text}")
file(WRITE ${OUTPUT} "${text}")
