# kav_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [ENV ...])
# One GoogleTest executable registered with CTest as one test, so that a
# suite that starts a simulator does so once and its cases share it.
function(kav_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    KAV_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KAV_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    KAV_BUILD_DIR="${CMAKE_BINARY_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
