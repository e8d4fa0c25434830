# Qt 6 user-interface library and the editor program.
find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport Test)
find_package(Qt6 REQUIRED COMPONENTS Svg)
find_package(QCustomPlotQt6 REQUIRED)

# Plotting shared by the graph windows and orvane-cli's plot commands: the graph/plot_* files.
file(GLOB ORVANE_PLOT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/graph/plot_*.cpp)
add_library(orvane_plot STATIC ${ORVANE_PLOT_SOURCES})
target_link_libraries(orvane_plot PUBLIC orvane_tools orvane_analysis Qt6::Widgets Qt6::PrintSupport Qt6::Svg
  QCustomPlotQt6::QCustomPlotQt6)
target_compile_definitions(orvane_plot PUBLIC QCUSTOMPLOT_USE_LIBRARY)

file(GLOB ORVANE_UI_DIR_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/editor/*.cpp ${CMAKE_SOURCE_DIR}/graph/*.cpp)
list(FILTER ORVANE_UI_DIR_SOURCES EXCLUDE REGEX "/editor/main\\.cpp$")
list(FILTER ORVANE_UI_DIR_SOURCES EXCLUDE REGEX "/graph/plot_[^/]*\\.cpp$")
file(GLOB ORVANE_UI_HEADERS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/editor/*.h ${CMAKE_SOURCE_DIR}/graph/*.h
  ${CMAKE_SOURCE_DIR}/roi/*_dialog.h ${CMAKE_SOURCE_DIR}/tools/*_dialog.h
  ${CMAKE_SOURCE_DIR}/analysis/*_dialog.h)
file(GLOB ORVANE_UI_RESOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/editor/*.qrc ${CMAKE_SOURCE_DIR}/graph/*.qrc)

set(ORVANE_UI_SOURCES ${ORVANE_UI_DIR_SOURCES} ${ORVANE_CORE_UI_SOURCES})
if(ORVANE_UI_SOURCES)
  add_library(orvane_ui STATIC ${ORVANE_UI_SOURCES} ${ORVANE_UI_HEADERS} ${ORVANE_UI_RESOURCES})
  set_target_properties(orvane_ui PROPERTIES AUTOMOC ON AUTORCC ON)
  target_link_libraries(orvane_ui PUBLIC orvane_core orvane_plot Qt6::Widgets Qt6::PrintSupport
    QCustomPlotQt6::QCustomPlotQt6)
  target_compile_definitions(orvane_ui PUBLIC QCUSTOMPLOT_USE_LIBRARY)
  if(EXISTS ${CMAKE_SOURCE_DIR}/editor/main.cpp)
    add_executable(orvane-editor ${CMAKE_SOURCE_DIR}/editor/main.cpp)
    target_link_libraries(orvane-editor PRIVATE orvane_ui)
  endif()
endif()
