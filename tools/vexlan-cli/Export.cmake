# The printed page and the graph picture need the Qt painter, so this one is built with the viewer.
if(TARGET vexlan_print)
  vexlan_cli_subcommand(Export SOURCES ExportCommand.cpp LIBS vexlan_print)
endif()
