# The leak analysis over the recomputation.
vexlan_cli_subcommand(Analyse SOURCES AnalyseCommand.cpp LIBS vexlan_analysis)
