# Writes the one-file page: the template with the core module, the page's
# script (its files, given with | between them, joined in one closure) and
# the note on the cipher's strength (taken from Info.txt, so the two never
# disagree) put in place. Run with cmake -P and these variables:
#   TEMPLATE CORE_JS PAGE_JS MESSAGES_JSON INFO_TXT OUTPUT PRODUCT VERSION
# The messages the page shares with the window (MESSAGES_JSON, an object of
# strings) become the script's first constant, windowMessages.

cmake_policy(VERSION 3.25)

file(READ "${TEMPLATE}" page)
file(READ "${CORE_JS}" core)
string(REPLACE "|" ";" page_scripts "${PAGE_JS}")
file(READ "${MESSAGES_JSON}" messages)
set(script "\"use strict\";\n(() => {\nconst windowMessages = ${messages};\n")
foreach(file IN LISTS page_scripts)
  file(READ "${file}" part)
  string(APPEND script "${part}\n")
endforeach()
string(APPEND script "})();\n")
file(READ "${INFO_TXT}" info)

foreach(part core script)
  string(TOLOWER "${${part}}" lowered)
  string(FIND "${lowered}" "</script" closing)
  if(NOT closing EQUAL -1)
    message(FATAL_ERROR "${part} holds \"</script\" and cannot be inlined")
  endif()
endforeach()

# The section runs from its heading to the end of the file.
set(heading "Hur säker är krypteringen?")
string(REPLACE "\r\n" "\n" info "${info}")
string(FIND "${info}" "${heading}\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "${INFO_TXT} has no section \"${heading}\"")
endif()
string(SUBSTRING "${info}" ${start} -1 strength)
string(REGEX REPLACE "^[^\n]*\n-+\n" "" strength "${strength}")
string(STRIP "${strength}" strength)
string(REPLACE "&" "&amp;" strength "${strength}")
string(REPLACE "<" "&lt;" strength "${strength}")
string(REPLACE ">" "&gt;" strength "${strength}")

string(REPLACE "@STRENGTH@" "${strength}" page "${page}")
string(REPLACE "@PRODUCT@" "${PRODUCT}" page "${page}")
string(REPLACE "@VERSION@" "${VERSION}" page "${page}")
# The scripts last, so that nothing in them is taken for a placeholder.
string(REPLACE "@PAGE@" "${script}" page "${page}")
string(REPLACE "@CORE@" "${core}" page "${page}")
file(WRITE "${OUTPUT}" "${page}")
