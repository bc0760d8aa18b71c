# The text report; ReportInput is shared with the export subcommand.
vexlan_cli_subcommand(Report SOURCES ReportCommand.cpp ReportInput.cpp LIBS vexlan_print_logic)
