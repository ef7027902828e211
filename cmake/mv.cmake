# One static library per subsystem folder; every .cpp of the folder except state.cpp
# (state.cpp files all go to mv_state). A folder with no sources yet gives an
# interface library, so its dependants link unchanged when its issue lands.
function(mv_add_library target dir)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  list(FILTER _srcs EXCLUDE REGEX "/state\\.cpp$")
  if(_srcs)
    add_library(${target} STATIC ${_srcs})
    target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${ARGN})
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${target} INTERFACE ${ARGN})
  endif()
endfunction()

# One test executable per tests/ folder, every test labelled with the folder's name.
function(mv_add_tests label)
  file(GLOB _srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${label}/*.cpp)
  if(NOT _srcs)
    return()
  endif()
  add_executable(test_${label} ${_srcs})
  target_link_libraries(test_${label} PRIVATE mv_testmain ${ARGN})
  gtest_discover_tests(test_${label}
    PROPERTIES LABELS ${label} ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MV_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output"
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60)
endfunction()
