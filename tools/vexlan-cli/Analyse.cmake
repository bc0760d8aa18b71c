# The leak analysis over the recomputation.
vexlan_cli_subcommand(Analyse SOURCES AnalyseCommand.cpp LIBS vexlan_analysis)

if(BUILD_TESTING)
  vexlan_add_gtest(vexlan_cli_analyse_tests SOURCES tests/AnalyseCommandTest.cpp LIBS vexlan_cli_core)
endif()
