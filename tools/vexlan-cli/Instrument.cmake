# The subcommands that talk to the instrument.
if(TARGET vexlan_instrument)
  target_sources(vexlan_cli_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/InstrumentCliSupport.cpp)
  vexlan_cli_subcommand(InstrumentList SOURCES InstrumentListCommand.cpp LIBS vexlan_instrument)
  vexlan_cli_subcommand(Download SOURCES DownloadCommand.cpp LIBS vexlan_instrument)
  vexlan_cli_subcommand(Restart SOURCES RestartCommand.cpp LIBS vexlan_instrument)
  vexlan_cli_subcommand(TestPort SOURCES TestPortCommand.cpp LIBS vexlan_instrument)
  if(BUILD_TESTING AND TARGET instrument_test_support)
    vexlan_add_gtest(vexlan_cli_instrument_tests SOURCES tests/InstrumentCommandsTest.cpp
                     LIBS vexlan_cli_core instrument_test_support)
  endif()
endif()
