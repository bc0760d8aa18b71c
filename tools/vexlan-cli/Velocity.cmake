# The velocity calculator, the measurement from a known source and the fit over recordings.
vexlan_cli_subcommand(Velocity SOURCES VelocityCommand.cpp)

if(BUILD_TESTING)
  vexlan_add_gtest(vexlan_cli_velocity_tests SOURCES tests/VelocityCommandTest.cpp LIBS vexlan_cli_core vexlan_kedgen)
endif()
