# zt_strings(input module symbol language OUT_RC OUT_CPP): generates, at build
# time, the resource script and the native table of a strings file.
function(zt_strings input module symbol language out_rc out_cpp)
  get_filename_component(base ${input} NAME_WE)
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${base}.rc)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/${base}_table.cpp)
  add_custom_command(
    OUTPUT ${rc} ${cpp}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DRC=${rc} -DCPP=${cpp} -DSYMBOL=${symbol} -DMODULE=${module}
            -DLANGUAGE=${language} -P ${PROJECT_SOURCE_DIR}/cmake/gen_strings.cmake
    DEPENDS ${input} ${PROJECT_SOURCE_DIR}/cmake/gen_strings.cmake
    COMMENT "Generating strings of ${module}")
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_cpp} ${cpp} PARENT_SCOPE)
endfunction()
