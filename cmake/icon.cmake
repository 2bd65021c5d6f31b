# The Windows icon file, made from the icon's design by a small tool built for and run on
# the build machine (with its own compiler when cross-building). Sets ZENTRIX_ICO.
set(ZENTRIX_ICO ${CMAKE_BINARY_DIR}/zentrix.ico)
if(CMAKE_CROSSCOMPILING)
  find_program(ZENTRIX_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
  set(make_ico ${CMAKE_BINARY_DIR}/make_ico)
  add_custom_command(OUTPUT ${make_ico}
    COMMAND ${ZENTRIX_HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR}
            ${CMAKE_SOURCE_DIR}/platform/win32/icon/make_ico.cpp -o ${make_ico}
    DEPENDS ${CMAKE_SOURCE_DIR}/platform/win32/icon/make_ico.cpp ${CMAKE_SOURCE_DIR}/platform/common/icon_design.h
    COMMENT "Building the icon tool for the build machine")
  set(make_ico_dependency ${make_ico})
else()
  add_executable(make_ico platform/win32/icon/make_ico.cpp)
  set(make_ico $<TARGET_FILE:make_ico>)
  set(make_ico_dependency make_ico)
endif()
add_custom_command(OUTPUT ${ZENTRIX_ICO}
  COMMAND ${make_ico} ${ZENTRIX_ICO}
  DEPENDS ${make_ico_dependency}
  COMMENT "Writing the program's icon")
add_custom_target(zentrix_icon DEPENDS ${ZENTRIX_ICO})
