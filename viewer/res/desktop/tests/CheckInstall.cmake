# Installs the build into a scratch prefix and checks that the desktop finds what it needs there.
file(REMOVE_RECURSE ${PREFIX})
set(ENV{DESTDIR} "")
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "install failed: ${result}")
endif()
set(expected
  share/applications/vexlan.desktop
  share/mime/packages/vexlan-correlation.xml
  share/icons/hicolor/scalable/apps/vexlan.svg
  share/icons/hicolor/48x48/apps/vexlan.png
  share/metainfo/com.norvane.Vexlan.metainfo.xml
  share/vexlan/mname.fd
  share/vexlan/mlist.fd
  bin/vexlan-cli)
if(GUI)
  list(APPEND expected bin/Vexlan)
endif()
foreach(path IN LISTS expected)
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
