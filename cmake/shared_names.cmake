# The names the programs share (common/shared_names.h), for what is not C++:
# the installer's NSIS script and the shell scripts.
#
#   include(cmake/shared_names.cmake)
#   zorvo_read_shared_names(HEADER)  sets ZORVO_SHARED_NAMES (the names, in
#                                    order) and ZORVO_NAME_<name> (the text)
#
#   cmake -DHEADER=common/shared_names.h -DNSH=OUT -P cmake/shared_names.cmake
#       writes OUT: "!define <name> "<text>"" for every name, in NSIS quoting
#   cmake -DHEADER=common/shared_names.h -DPRINT=<name> -P cmake/shared_names.cmake
#       prints the text of one name
#
# A declaration this script cannot read, a name declared twice, a reference
# to a name not declared before it and a name asked for that is not there
# all stop with an error, so that a build never goes on with a stale copy.
cmake_minimum_required(VERSION 3.25)

# The lines of a text file as a list. The characters that CMake's lists
# would take apart (";" and brackets) stand in for themselves in the lines;
# zorvo_list_restore gives them back. A Windows line end counts as one.
function(zorvo_read_lines out file)
  file(READ "${file}" text)
  string(REPLACE ";" "@ZS@" text "${text}")
  string(REPLACE "[" "@ZL@" text "${text}")
  string(REPLACE "]" "@ZR@" text "${text}")
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(${out} "${lines}" PARENT_SCOPE)
endfunction()

function(zorvo_list_restore out text)
  string(REPLACE "@ZS@" ";" text "${text}")
  string(REPLACE "@ZL@" "[" text "${text}")
  string(REPLACE "@ZR@" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(_zorvo_names_fail header line message)
  zorvo_list_restore(line "${line}")
  message(FATAL_ERROR "${header}: ${message}:\n  ${line}\n"
                      "Each shared name is one line: inline constexpr wchar_t kName[] = L\"text\"; "
                      "(with only \\\\ and \\\" as escapes) or "
                      "inline constexpr const auto& kName = kOther;")
endfunction()

function(zorvo_read_shared_names header)
  zorvo_read_lines(lines "${header}")
  set(names "")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line MATCHES "^inline constexpr wchar_t (k[A-Za-z0-9]+)@ZL@@ZR@ = L\"(([^\"\\\\]|\\\\.)*)\"@ZS@$")
      set(name "${CMAKE_MATCH_1}")
      set(value "${CMAKE_MATCH_2}")
      string(REGEX REPLACE "\\\\[\\\\\"]" "" plain "${value}")
      if(plain MATCHES "\\\\")
        _zorvo_names_fail("${header}" "${line}" "an escape other than \\\\ or \\\" in ${name}")
      endif()
      string(REPLACE "\\\\" "@ZB@" value "${value}")
      string(REPLACE "\\\"" "\"" value "${value}")
      string(REPLACE "@ZB@" "\\" value "${value}")
    elseif(line MATCHES "^inline constexpr const auto& (k[A-Za-z0-9]+) = (k[A-Za-z0-9]+)@ZS@$")
      set(name "${CMAKE_MATCH_1}")
      if(NOT CMAKE_MATCH_2 IN_LIST names)
        _zorvo_names_fail("${header}" "${line}" "${name} refers to ${CMAKE_MATCH_2}, not declared above it")
      endif()
      set(value "${ZORVO_NAME_${CMAKE_MATCH_2}}")
    elseif(line MATCHES "^inline constexpr")
      _zorvo_names_fail("${header}" "${line}" "a declaration in another form")
    else()
      continue()
    endif()
    if(name IN_LIST names)
      _zorvo_names_fail("${header}" "${line}" "${name} is declared twice")
    endif()
    list(APPEND names ${name})
    zorvo_list_restore(value "${value}")
    set(ZORVO_NAME_${name} "${value}")
    set(ZORVO_NAME_${name} "${value}" PARENT_SCOPE)
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "${header} declares no shared names")
  endif()
  set(ZORVO_SHARED_NAMES "${names}" PARENT_SCOPE)
endfunction()

# The text of `name` in `out`; an error when the header has no such name.
function(zorvo_shared_name out name)
  if(NOT name IN_LIST ZORVO_SHARED_NAMES)
    message(FATAL_ERROR "common/shared_names.h has no name ${name}")
  endif()
  set(${out} "${ZORVO_NAME_${name}}" PARENT_SCOPE)
endfunction()

# `text` as an NSIS string in double quotes.
function(zorvo_nsis_quoted out text)
  string(REPLACE "$" "$$" text "${text}")
  string(REPLACE "\"" "$\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT HEADER)
    message(FATAL_ERROR "usage: cmake -DHEADER=shared_names.h (-DNSH=OUT | -DPRINT=NAME) -P ${CMAKE_CURRENT_LIST_FILE}")
  endif()
  zorvo_read_shared_names("${HEADER}")
  if(DEFINED PRINT)
    zorvo_shared_name(text ${PRINT})
    execute_process(COMMAND ${CMAKE_COMMAND} -E echo "${text}")
  endif()
  if(DEFINED NSH)
    set(nsh "; Made from common/shared_names.h when the installer is built; not edited by hand.\n")
    foreach(name IN LISTS ZORVO_SHARED_NAMES)
      zorvo_nsis_quoted(quoted "${ZORVO_NAME_${name}}")
      string(APPEND nsh "!define ${name} ${quoted}\n")
    endforeach()
    file(WRITE "${NSH}" "${nsh}")
  endif()
endif()
