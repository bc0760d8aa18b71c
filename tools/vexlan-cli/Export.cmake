# The printed page and the graph picture need the Qt painter, so this one is built with the viewer.
if(TARGET vexlan_print)
  vexlan_cli_subcommand(Export SOURCES ExportCommand.cpp LIBS vexlan_print vexlan_raster_qt)
endif()

if(TARGET vexlan_print AND BUILD_TESTING)
  vexlan_add_gtest(vexlan_cli_export_tests SOURCES tests/ExportCommandTest.cpp LIBS vexlan_cli_core Qt6::Gui)
  target_include_directories(vexlan_cli_export_tests PRIVATE ${CMAKE_SOURCE_DIR}/viewer/storage/tests)
endif()
