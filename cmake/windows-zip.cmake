# Makes the zip for Windows users, mordavelle-<version>-windows-<arch>.zip,
# with the program and README.txt in Windows line ends, and SHA256SUMS beside
# it. Run by the "dist" target of a Windows build:
#   cmake -DPROGRAM=mordavelle.exe -DREADME=dist/README-Windows.txt -DVERSION=2.1.0
#         -DARCH=x64 -DOUT=build/dist -P cmake/windows-zip.cmake
foreach(variable PROGRAM README VERSION ARCH OUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "windows-zip.cmake needs -D${variable}=...")
  endif()
endforeach()

set(name "mordavelle-${VERSION}-windows-${ARCH}")
set(staging "${OUT}/${name}")
file(REMOVE_RECURSE "${staging}" "${OUT}/${name}.zip" "${OUT}/SHA256SUMS")
file(MAKE_DIRECTORY "${staging}")

file(COPY_FILE "${PROGRAM}" "${staging}/mordavelle.exe")
# The text names the version it comes with. Its UTF-8 byte-order mark is kept:
# Notepad before Windows 10 1903 reads a text without one in the ANSI code
# page, and the letters beyond ASCII would show as two wrong characters each.
set(PROJECT_VERSION "${VERSION}")
configure_file("${README}" "${staging}/README.txt" @ONLY NEWLINE_STYLE CRLF)

# The files lie at the top of the zip, so that extracting it into the folder
# of the lists puts the program right beside them.
execute_process(
  COMMAND "${CMAKE_COMMAND}" -E tar cf "../${name}.zip" --format=zip mordavelle.exe README.txt
  WORKING_DIRECTORY "${staging}"
  COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE "${staging}")

file(SHA256 "${OUT}/${name}.zip" hash)
file(WRITE "${OUT}/SHA256SUMS" "${hash}  ${name}.zip\n")
message(STATUS "${OUT}/${name}.zip")
