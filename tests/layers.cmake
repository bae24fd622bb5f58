# An include in the wrong direction does not build. Each case is a file of
# one library that includes a header of a library it must not see; its test
# builds that file and passes when the compiler cannot find the header.
function(zorvo_layer_check library header)
  string(MAKE_C_IDENTIFIER "${library}_sees_${header}" name)
  set(source ${CMAKE_CURRENT_BINARY_DIR}/layer_checks/${name}.cpp)
  file(CONFIGURE OUTPUT ${source} CONTENT "#include \"${header}\"\n")
  add_library(${name} OBJECT EXCLUDE_FROM_ALL ${source})
  target_link_libraries(${name} PRIVATE ${library})
  add_test(NAME layers_${name} COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR} --target ${name})
  # One build at a time in the build folder.
  set_tests_properties(layers_${name} PROPERTIES PASS_REGULAR_EXPRESSION "${header}: No such file"
                       RESOURCE_LOCK build_folder TIMEOUT 120)
endfunction()

zorvo_layer_check(zorvo_common viewer/file/line_table.h)
zorvo_layer_check(zorvo_engine viewer/settings/profile_store.h)
zorvo_layer_check(zorvo_settings viewer/frame/view_state.h)
zorvo_layer_check(zorvo_frame_core viewer/print/page_heading.h)
zorvo_layer_check(zorvo_frame_core viewer/dde/dde_command.h)
zorvo_layer_check(zorvo_print_core viewer/dde/dde_command.h)
zorvo_layer_check(zorvo_dde_core viewer/print/page_heading.h)
zorvo_layer_check(zorvo_dde_core viewer/frame/view_state.h)
if(WIN32)
  zorvo_layer_check(zorvo_frame viewer/print/win32/print_job.h)
  zorvo_layer_check(zorvo_frame viewer/dde/win32/dde_server.h)
  zorvo_layer_check(zorvo_frame viewer/program/win32/viewer_parts.h)
  zorvo_layer_check(zorvo_print viewer/dde/win32/dde_server.h)
  zorvo_layer_check(zorvo_dde viewer/print/win32/print_job.h)
endif()
