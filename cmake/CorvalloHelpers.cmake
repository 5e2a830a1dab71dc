# corvallo_library(NAME <target> SOURCES ... [DEPS ...])
# A platform layer: one shared library with its public headers under include/.
function(corvallo_library)
  cmake_parse_arguments(ARG "" "NAME;OUTPUT_NAME" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${ARG_NAME} SHARED ${ARG_SOURCES})
  target_include_directories(${ARG_NAME} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  if(ARG_OUTPUT_NAME)
    set_target_properties(${ARG_NAME} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
  endif()
endfunction()

# corvallo_test(NAME <target> SOURCES ... DEPS ...)
# One GoogleTest binary; each test case becomes its own CTest entry.
function(corvallo_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  # The leak checker of the sanitizer presets skips the font libraries' caches.
  gtest_discover_tests(${ARG_NAME}
    DISCOVERY_TIMEOUT 30
    # LABELS last: an empty label list would swallow the key after it.
    PROPERTIES TIMEOUT 120 ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp"
      LABELS "${ARG_LABELS}")
endfunction()
