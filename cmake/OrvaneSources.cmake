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

# record_store/ holds three libraries, told apart by file name:
#   orvane_record_layout   layout_*                       editor layout files
#   orvane_record_views    views, measurement_*,          the maker's fixed views, field
#                          presentation_*, curve_access   vocabulary, encodings and presentation
#   orvane_record_store    every other file               schema, field codecs, record storage
#                                                         and the store, generic curve fields
# The generic store must not use the other two and layout files must not use the maker's
# views: configuring fails when a file includes a header it may not use.
set(ORVANE_RECORD_LAYOUT_REGEX "/layout_[^/]*$")
set(ORVANE_RECORD_VIEWS_REGEX "/(views|measurement_[^/]*|presentation_[^/]*|curve_access)\\.(cpp|h)$")

function(orvane_check_includes library files forbidden_regex)
  foreach(_f IN LISTS files)
    file(STRINGS ${_f} _includes REGEX "^#include \"record_store/")
    foreach(_inc IN LISTS _includes)
      string(REGEX REPLACE "^#include \"(record_store/[^\"]*)\".*" "/\\1" _header "${_inc}")
      if(_header MATCHES "${forbidden_regex}")
        message(FATAL_ERROR "${_f} (library ${library}) may not include ${_header}")
      endif()
    endforeach()
  endforeach()
endfunction()

macro(orvane_record_store_libraries)
  file(GLOB _rs_files CONFIGURE_DEPENDS
    ${CMAKE_SOURCE_DIR}/record_store/*.cpp ${CMAKE_SOURCE_DIR}/record_store/*.h)
  set(_rs_store)
  set(_rs_views)
  set(_rs_layout)
  foreach(_f IN LISTS _rs_files)
    if(_f MATCHES "${ORVANE_RECORD_LAYOUT_REGEX}")
      list(APPEND _rs_layout ${_f})
    elseif(_f MATCHES "${ORVANE_RECORD_VIEWS_REGEX}")
      list(APPEND _rs_views ${_f})
    else()
      list(APPEND _rs_store ${_f})
    endif()
  endforeach()
  orvane_check_includes(orvane_record_store "${_rs_store}"
    "${ORVANE_RECORD_LAYOUT_REGEX}|${ORVANE_RECORD_VIEWS_REGEX}")
  orvane_check_includes(orvane_record_layout "${_rs_layout}" "${ORVANE_RECORD_VIEWS_REGEX}")
  foreach(_lib store views layout)
    list(FILTER _rs_${_lib} INCLUDE REGEX "\\.cpp$")
    add_library(orvane_record_${_lib} STATIC ${_rs_${_lib}})
    target_include_directories(orvane_record_${_lib} PUBLIC ${CMAKE_SOURCE_DIR})
  endforeach()
  list(APPEND ORVANE_CORE_LIBRARIES orvane_record_store orvane_record_views orvane_record_layout)
  target_link_libraries(orvane_record_store PUBLIC orvane_platform)
  target_link_libraries(orvane_record_views PUBLIC orvane_record_store)
  target_link_libraries(orvane_record_layout PUBLIC orvane_record_store)
endmacro()
