# The batch summary: one row per correlation file.
vexlan_cli_subcommand(Summary SOURCES SummaryCommand.cpp SummaryTable.cpp LIBS vexlan_analysis)

if(BUILD_TESTING)
  vexlan_add_gtest(vexlan_cli_summary_tests SOURCES tests/SummaryCommandTest.cpp LIBS vexlan_cli_core vexlan_kedgen)
endif()
