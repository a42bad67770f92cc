# tavelin_add_test(NAME <name> SOURCES <files...> [GUI] [LIBS <libs...>] [SERIAL])
# One Qt Test executable per area. Core tests link the core only, so a widget
# include that creeps into the core fails to build here. GUI tests run on the
# offscreen platform with a fixed style and locale.
function(tavelin_add_test)
  cmake_parse_arguments(T "GUI;SERIAL" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE tavelin_gui tavelin_core Qt6::Test ${T_LIBS})
    set(label gui)
  else()
    target_link_libraries(${T_NAME} PRIVATE tavelin_core Qt6::Test ${T_LIBS})
    set(label core)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env
      "TAVELIN_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
      "TAVELIN_CLI=$<TARGET_FILE:tavelin-cli>"
      "LC_ALL=C.UTF-8"
      "LANG=C.UTF-8"
      "TAVELIN_LANG=ja"
      "QT_QPA_PLATFORM=offscreen")
  if(T_GUI)
    list(APPEND env "QT_STYLE_OVERRIDE=Fusion")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${label} ENVIRONMENT "${env}" TIMEOUT 300)
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()
