# Turns the README into the HTML manual that Help > Vantorel Manual opens:
#   cmake -DCMARK=... -DREADME=... -DOUTPUT=... -DVERSION=... -P make_manual.cmake
# cmark-gfm (GitHub's Markdown, with its tables) writes the body; this
# script adds the page around it.
execute_process(
  COMMAND ${CMARK} --extension table --extension autolink --to html ${README}
  OUTPUT_VARIABLE BODY
  RESULT_VARIABLE STATUS)
if(NOT STATUS EQUAL 0)
  message(FATAL_ERROR "cmark-gfm could not read ${README}")
endif()
file(WRITE ${OUTPUT}.tmp "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>Vantorel ${VERSION} manual</title>
<style>
body { max-width: 52em; margin: 2em auto; padding: 0 1em; font-family: sans-serif;
       line-height: 1.45; color: #222; }
code, pre { font-family: monospace; background: #f3f1ec; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; margin: 0.8em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.6em; text-align: left; vertical-align: top; }
th { background: #ebe6da; }
</style>
</head>
<body>
<p><em>Vantorel ${VERSION}</em></p>
${BODY}</body>
</html>
")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
