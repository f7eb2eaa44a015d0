# Run by `cmake --install` after the program has been copied (see CMakeLists.txt), with
# VASKEL_NEWDB, VASKEL_DESKTOP_TEMPLATE, VASKEL_LIBDIR and VASKEL_BUILD_DIR set.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(program_dir "${root}/${VASKEL_LIBDIR}")

# The program opens the database beside itself and never makes one. A new one is made only
# when none is there: an existing database holds the user's data.
if(NOT EXISTS "${program_dir}/Vaskel.pdb")
  message(STATUS "Creating: ${program_dir}/Vaskel.pdb")
  execute_process(COMMAND "${VASKEL_NEWDB}" "${program_dir}/Vaskel.pdb"
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
else()
  message(STATUS "Keeping: ${program_dir}/Vaskel.pdb")
endif()

# The command line name, a link to the real program (which finds its folder through it).
file(MAKE_DIRECTORY "${root}/bin")
message(STATUS "Linking: ${root}/bin/vaskel")
file(CREATE_LINK "../${VASKEL_LIBDIR}/Vaskel" "${root}/bin/vaskel" SYMBOLIC)

# The desktop entry starts the real program by its full path: PREFIX/bin need not be on the
# PATH of the desktop session.
file(READ "${VASKEL_DESKTOP_TEMPLATE}" entry)
string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=\"${CMAKE_INSTALL_PREFIX}/${VASKEL_LIBDIR}/Vaskel\""
       entry "${entry}")
set(generated "${VASKEL_BUILD_DIR}/vaskel.desktop")
file(WRITE "${generated}" "${entry}")
file(INSTALL "${generated}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")

find_program(update_desktop update-desktop-database)
if(update_desktop AND NOT DEFINED ENV{DESTDIR})
  execute_process(COMMAND "${update_desktop}" -q "${root}/share/applications" RESULT_VARIABLE ignored)
endif()
