# A file in a core folder belongs to the user interface when its name ends in
# _dialog, _widget, _window or _model; every other .cpp file is plain C++.
set(ORVANE_UI_FILE_REGEX "(_dialog|_widget|_window|_model)\\.cpp$")

# orvane_core_library(<folder> [<folder it depends on>...])
# Makes the static library orvane_<folder> from the plain C++ files of the folder and
# appends the folder's user-interface files to ORVANE_CORE_UI_SOURCES. A folder that is
# missing or holds no plain C++ file makes no library; the libraries made are listed in
# ORVANE_CORE_LIBRARIES.
macro(orvane_core_library dir)
  file(GLOB _files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  set(_core)
  foreach(_f IN LISTS _files)
    if(_f MATCHES "${ORVANE_UI_FILE_REGEX}")
      list(APPEND ORVANE_CORE_UI_SOURCES ${_f})
    else()
      list(APPEND _core ${_f})
    endif()
  endforeach()
  if(_core)
    add_library(orvane_${dir} STATIC ${_core})
    target_include_directories(orvane_${dir} PUBLIC ${CMAKE_SOURCE_DIR})
    foreach(_dep ${ARGN})
      if(TARGET orvane_${_dep})
        target_link_libraries(orvane_${dir} PUBLIC orvane_${_dep})
      endif()
    endforeach()
    list(APPEND ORVANE_CORE_LIBRARIES orvane_${dir})
  endif()
endmacro()
