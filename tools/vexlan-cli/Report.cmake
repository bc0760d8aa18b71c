# The text report; ReportInput is shared with the export subcommand.
vexlan_cli_subcommand(Report SOURCES ReportCommand.cpp ReportInput.cpp LIBS vexlan_print_logic vexlan_analysis)

if(BUILD_TESTING)
  vexlan_add_gtest(vexlan_cli_report_tests SOURCES tests/ReportCommandTest.cpp LIBS vexlan_cli_core)
endif()
