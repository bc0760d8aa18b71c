# Run by CPack before it packs: the packaged programs find the link library in the system's own
# library folder, so the search path they carry for other prefixes comes out.
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*")
foreach(program IN LISTS programs)
  file(RPATH_REMOVE FILE "${program}")
endforeach()
