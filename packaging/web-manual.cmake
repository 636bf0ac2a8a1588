# The manual of the web archive: the HTML manual page with the page's icon, a
# way back to the calculator at its top, and a section on the page itself
# (web/manual-section.html) at its end and in its contents.
#   cmake -D MANUAL=HTML -D SECTION=FRAGMENT -D OUTPUT=HTML -P web-manual.cmake
file(READ ${MANUAL} page)
file(READ ${SECTION} section)
# groff ends the contents and the page each with a rule.
string(FIND "${page}" "\n<hr>" contents_end)
string(FIND "${page}" "\n<hr>" page_end REVERSE)
string(SUBSTRING "${page}" 0 ${contents_end} head)
math(EXPR body_length "${page_end} - ${contents_end}")
string(SUBSTRING "${page}" ${contents_end} ${body_length} body)
string(SUBSTRING "${page}" ${page_end} -1 tail)
string(REPLACE "</head>" "<link rel=\"icon\" href=\"ostrilume.svg\" type=\"image/svg+xml\">\n</head>" head "${head}")
string(REPLACE "<body>\n" "<body>\n<p><a href=\"index.html\">← Takaisin laskimeen</a></p>\n" head "${head}")
file(WRITE ${OUTPUT} "${head}\n<a href=\"#VERKKOSIVU\">VERKKOSIVU</a><br>\n${body}\n${section}${tail}")
