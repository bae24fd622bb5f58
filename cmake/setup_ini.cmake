# A setup in its INI form (installer/Listing.ini) written into the viewer's
# profile in the registry: the one reader of that file, for the installer
# (when it is built) and for scripts/run.sh and the end-to-end tests (when
# they run). The profile's key and the setup names come from
# common/shared_names.h.
#
#   cmake -DINI=FILE -DNSH=OUT -P cmake/setup_ini.cmake
#       NSIS lines: SETUP_NAME defined as the name of the file's setup, and
#       the macro WRITE_SETUP, a WriteRegStr to HKCU of every key
#   cmake -DINI=FILE -DREG=OUT [-DFRESH=1] [-DLIST_AT=N] -P cmake/setup_ini.cmake
#       a registry file of every section under HKEY_CURRENT_USER; FRESH
#       deletes each section first, LIST_AT lists the setup as "Setup<N>" in
#       "Setup List"
#
# The file holds one setup, a section "Setup: NAME"; lines "Key=value" and
# ";" comments. Anything else stops with an error.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/shared_names.cmake)

if(NOT INI OR (NOT NSH AND NOT REG))
  message(FATAL_ERROR "usage: cmake -DINI=FILE (-DNSH=OUT | -DREG=OUT [-DFRESH=1] [-DLIST_AT=N]) -P ${CMAKE_CURRENT_LIST_FILE}")
endif()
zorvo_read_shared_names(${CMAKE_CURRENT_LIST_DIR}/../common/shared_names.h)
zorvo_shared_name(profile_key kProfileKey)
zorvo_shared_name(setup_prefix kSetupPrefix)
zorvo_shared_name(list_section kSetupListSection)
zorvo_shared_name(list_key kSetupListKey)

zorvo_read_lines(lines "${INI}")

# A value in a registry file's double quotes.
function(reg_quoted out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

set(setup "")
set(section "")
set(nsh "")
set(reg "")
foreach(line IN LISTS lines)
  if(line STREQUAL "" OR line MATCHES "^@ZS@")
    continue()
  elseif(line MATCHES "^@ZL@(.+)@ZR@$")
    zorvo_list_restore(section "${CMAKE_MATCH_1}")
    string(FIND "${section}" "${setup_prefix}" at)
    if(NOT at EQUAL 0 OR setup)
      message(FATAL_ERROR "${INI}: one section \"${setup_prefix}NAME\" is expected, not \"${section}\"")
    endif()
    string(LENGTH "${setup_prefix}" prefix_length)
    string(SUBSTRING "${section}" ${prefix_length} -1 setup)
    if(FRESH)
      string(APPEND reg "\n[-HKEY_CURRENT_USER\\${profile_key}\\${section}]\n")
    endif()
    string(APPEND reg "\n[HKEY_CURRENT_USER\\${profile_key}\\${section}]\n")
  elseif(line MATCHES "^([A-Za-z0-9]+)=(.*)$" AND section)
    set(key "${CMAKE_MATCH_1}")
    zorvo_list_restore(value "${CMAKE_MATCH_2}")
    zorvo_nsis_quoted(nsis_section "${section}")
    zorvo_nsis_quoted(nsis_value "${value}")
    string(REGEX REPLACE "^\"" "\"\${kProfileKey}\\\\" nsis_section "${nsis_section}")
    string(APPEND nsh "WriteRegStr HKCU ${nsis_section} \"${key}\" ${nsis_value}\n")
    reg_quoted(reg_value "${value}")
    string(APPEND reg "\"${key}\"=${reg_value}\n")
  else()
    zorvo_list_restore(line "${line}")
    message(FATAL_ERROR "${INI}: a line that is no section, key or comment:\n  ${line}")
  endif()
endforeach()
if(NOT setup)
  message(FATAL_ERROR "${INI} holds no section \"${setup_prefix}NAME\"")
endif()

if(NSH)
  zorvo_nsis_quoted(name "${setup}")
  file(WRITE "${NSH}" "; Made from ${INI}; not edited by hand.\n!define SETUP_NAME ${name}\n"
                     "!macro WRITE_SETUP\n${nsh}!macroend\n")
endif()
if(REG)
  if(DEFINED LIST_AT)
    reg_quoted(name "${setup}")
    string(APPEND reg "\n[HKEY_CURRENT_USER\\${profile_key}\\${list_section}]\n\"${list_key}${LIST_AT}\"=${name}\n")
  endif()
  file(WRITE "${REG}" "Windows Registry Editor Version 5.00\n${reg}")
endif()
