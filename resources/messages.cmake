# The messages the window and the browser page both show come from one
# source, messages.json, so the two never disagree. The window gets them as
# a C++ header of UTF-16 constants; the page's script takes the JSON itself
# as an object literal.

# Writes output: namespace velmora::messages with one char16_t array per message.
function(velmora_write_messages_header json_file output)
  file(READ "${json_file}" json)
  string(JSON count LENGTH "${json}")
  math(EXPR last "${count} - 1")
  set(body "")
  foreach(index RANGE ${last})
    string(JSON name MEMBER "${json}" ${index})
    string(JSON text GET "${json}" "${name}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\r" "\\r" text "${text}")
    string(REPLACE "\n" "\\n" text "${text}")
    string(REPLACE "\t" "\\t" text "${text}")
    string(APPEND body "inline constexpr char16_t ${name}[] = u\"${text}\";\n")
  endforeach()
  set(header "// Written by the build from resources/messages.json.\n#pragma once\n\n")
  string(APPEND header "namespace velmora::messages {\n\n${body}\n} // namespace velmora::messages\n")
  # Rewritten only when it changes, so that a reconfigure rebuilds nothing.
  if(EXISTS "${output}")
    file(READ "${output}" old)
    if(old STREQUAL header)
      return()
    endif()
  endif()
  file(WRITE "${output}" "${header}")
endfunction()
