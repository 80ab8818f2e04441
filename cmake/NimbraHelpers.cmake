# nimbra_gb18030(target): narrow string literals of the target are GB18030, like its runtime texts.
function(nimbra_gb18030 target)
  target_compile_options(${target} PRIVATE ${NIMBRA_GB18030_FLAGS})
endfunction()

# nimbra_test(name SOURCES ... LIBS ... [GUI] [SESSION_BUS]): one GoogleTest executable registered with CTest.
# GUI tests run on the offscreen platform and are left out of sanitizer builds (NIMBRA_GUI=OFF).
# SESSION_BUS tests run on a session bus of their own (dbus-run-session with tests/support/session-bus.conf.in),
# which starts the build's programs from their .service files.
function(nimbra_test name)
  cmake_parse_arguments(T "GUI;SESSION_BUS" "" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_GUI AND NOT NIMBRA_GUI)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # Shared fixtures of tests/support are found by every test.
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  nimbra_gb18030(${name})
  if(T_SESSION_BUS)
    find_program(NIMBRA_DBUS_RUN_SESSION dbus-run-session REQUIRED)
    set(config ${CMAKE_BINARY_DIR}/share/dbus-1/session-tests.conf)
    configure_file(${PROJECT_SOURCE_DIR}/tests/support/session-bus.conf.in ${config} @ONLY)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
                          "${NIMBRA_DBUS_RUN_SESSION};--config-file=${config};--")
  endif()
  set(props ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  # The component keeps its settings, log and thumbnails beside the executable, and every test executable
  # is built into one folder: the GUI tests share them and must take turns.
  if(T_GUI)
    list(APPEND props RESOURCE_LOCK program-dir)
  endif()
  # Listed when ctest runs (not at build time), so GUI tests are listed on the offscreen platform too.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
