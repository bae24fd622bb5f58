# The copies of the shared names and of a setup that the build and the
# scripts make for what is not C++ (cmake/shared_names.cmake,
# cmake/setup_ini.cmake): texts that need quoting come out as the compiler
# and the registry read them, and what the readers cannot read stops them.
#   cmake -DSOURCE=<repository> -DWORK=<scratch folder> -P generated_copies_test.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(failures 0)

function(check what actual expected)
  if(NOT actual STREQUAL expected)
    message(SEND_ERROR "${what}:\n--- expected\n${expected}\n--- made\n${actual}")
  endif()
endfunction()

# Runs a script; `expect` is "ok" or the words its error must hold.
function(run what expect script)
  execute_process(COMMAND ${CMAKE_COMMAND} ${ARGN} -P ${SOURCE}/cmake/${script}
                  RESULT_VARIABLE result ERROR_VARIABLE error OUTPUT_QUIET)
  # CMake wraps its messages at any blank.
  string(REGEX REPLACE "[ \t\n]+" " " error "${error}")
  if(expect STREQUAL "ok" AND NOT result EQUAL 0)
    message(SEND_ERROR "${what}: failed:\n${error}")
  elseif(NOT expect STREQUAL "ok" AND (result EQUAL 0 OR NOT error MATCHES "${expect}"))
    message(SEND_ERROR "${what}: should stop naming '${expect}', exit ${result}:\n${error}")
  endif()
endfunction()

# Names: every escape C++ allows here, characters CMake's lists and NSIS
# treat specially, and a reference to another name.
file(WRITE ${WORK}/names.h [=[
namespace zorvo {
// inline constexpr in a comment is no declaration
inline constexpr wchar_t kKey[] = L"Software\\Korrin\\Zorvo";
inline constexpr wchar_t kOdd[] = L"a \"q\" $x; [y]";
  inline constexpr const auto& kSame = kKey;
static_assert(true);
}
]=])
run("names" ok shared_names.cmake -DHEADER=${WORK}/names.h -DNSH=${WORK}/names.nsh)
file(READ ${WORK}/names.nsh nsh)
check("names as NSIS defines" "${nsh}" [=[; Made from common/shared_names.h when the installer is built; not edited by hand.
!define kKey "Software\Korrin\Zorvo"
!define kOdd "a $\"q$\" $$x; [y]"
!define kSame "Software\Korrin\Zorvo"
]=])
run("one name" ok shared_names.cmake -DHEADER=${WORK}/names.h -DPRINT=kKey)
run("a missing name" "no name kGone" shared_names.cmake -DHEADER=${WORK}/names.h -DPRINT=kGone)

function(bad_header name expect text)
  file(WRITE ${WORK}/${name}.h "${text}\n")
  run("header ${name}" "${expect}" shared_names.cmake -DHEADER=${WORK}/${name}.h -DNSH=${WORK}/x.nsh)
endfunction()
bad_header(wrapped "another form" "inline constexpr wchar_t kLong[] =\n    L\"text\";")
bad_header(escape "escape other" "inline constexpr wchar_t kTab[] = L\"a\\tb\";")
bad_header(forward "not declared above"
           "inline constexpr const auto& kA = kB;\ninline constexpr wchar_t kB[] = L\"b\";")
bad_header(twice "declared twice"
           "inline constexpr wchar_t kA[] = L\"a\";\ninline constexpr wchar_t kA[] = L\"b\";")
bad_header(none "no shared names" "namespace zorvo {}")

# A setup, with the quoting of both forms and a Windows line end.
file(WRITE ${WORK}/setup.ini "; a comment\r\n[Setup: Odd One]\r\nCCName=a \"b\" \\c $d; [e]\r\nFormat=1\r\n")
run("setup" ok setup_ini.cmake -DINI=${WORK}/setup.ini -DNSH=${WORK}/setup.nsh)
file(READ ${WORK}/setup.nsh nsh)
check("setup as NSIS" "${nsh}" "; Made from ${WORK}/setup.ini; not edited by hand.
!define SETUP_NAME \"Odd One\"
!macro WRITE_SETUP
WriteRegStr HKCU \"\${kProfileKey}\\Setup: Odd One\" \"CCName\" \"a $\\\"b$\\\" \\c $$d; [e]\"
WriteRegStr HKCU \"\${kProfileKey}\\Setup: Odd One\" \"Format\" \"1\"
!macroend
")
run("setup" ok setup_ini.cmake -DINI=${WORK}/setup.ini -DREG=${WORK}/setup.reg -DFRESH=1 -DLIST_AT=3)
file(READ ${WORK}/setup.reg reg)
check("setup as a registry file" "${reg}" [=[Windows Registry Editor Version 5.00

[-HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup: Odd One]

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup: Odd One]
"CCName"="a \"b\" \\c $d; [e]"
"Format"="1"

[HKEY_CURRENT_USER\Software\Korrin\Zorvo\Setup List]
"Setup3"="Odd One"
]=])
file(WRITE ${WORK}/two.ini "[Setup: A]\nFormat=1\n[Setup: B]\nFormat=2\n")
run("two setups" "one section" setup_ini.cmake -DINI=${WORK}/two.ini -DREG=${WORK}/x.reg)
file(WRITE ${WORK}/other.ini "[Zorvo Setup]\nFormat=1\n")
run("not a setup" "one section" setup_ini.cmake -DINI=${WORK}/other.ini -DREG=${WORK}/x.reg)
file(WRITE ${WORK}/stray.ini "[Setup: A]\nnot a key\n")
run("a stray line" "no section, key or comment" setup_ini.cmake -DINI=${WORK}/stray.ini -DREG=${WORK}/x.reg)
