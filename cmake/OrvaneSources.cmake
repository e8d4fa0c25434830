# Collects the .cpp files of the given source folders and splits them into
# core files (no Qt) and user-interface files. A file belongs to the user
# interface when its name ends in _dialog, _widget, _window or _model.
set(ORVANE_UI_FILE_REGEX "(_dialog|_widget|_window|_model)\\.cpp$")

function(orvane_collect_sources core_var ui_var)
  set(core)
  set(ui)
  foreach(dir IN LISTS ARGN)
    file(GLOB files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    foreach(f IN LISTS files)
      if(f MATCHES "${ORVANE_UI_FILE_REGEX}")
        list(APPEND ui ${f})
      else()
        list(APPEND core ${f})
      endif()
    endforeach()
  endforeach()
  set(${core_var} ${core} PARENT_SCOPE)
  set(${ui_var} ${ui} PARENT_SCOPE)
endfunction()
