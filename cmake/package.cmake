# Makes the release package Velorn-<version>.zip from the two built exes:
#   cmake -DVERSION=x.y.z -DEXE32=... -DEXE64=... -DOUT=dir -P cmake/package.cmake
# (the win64 preset's target "release" runs it with the project's version).
# Contents: 32bit/Velorn.exe, 64bit/Velorn.exe, README.txt (Czech and
# English, CRLF for Notepad) and SHA256SUMS; fixed times, modes and no extra
# attributes, so the same exes give the same zip whatever the umask.
set(name Velorn-${VERSION})
set(stage ${OUT}/${name})
file(REMOVE_RECURSE ${stage} ${OUT}/${name}.zip)
file(MAKE_DIRECTORY ${stage}/32bit ${stage}/64bit)
file(COPY_FILE ${EXE32} ${stage}/32bit/Velorn.exe)
file(COPY_FILE ${EXE64} ${stage}/64bit/Velorn.exe)

file(READ ${CMAKE_CURRENT_LIST_DIR}/../dist/README.txt text)
string(CONFIGURE "${text}" text @ONLY)
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE ${stage}/README.txt "${text}")

set(contents 32bit/Velorn.exe 64bit/Velorn.exe README.txt)
set(sums "")
foreach(f ${contents})
  file(SHA256 ${stage}/${f} hash)
  string(APPEND sums "${hash}  ${f}\n")
endforeach()
file(WRITE ${stage}/SHA256SUMS "${sums}")

set(files ${contents} SHA256SUMS)
list(TRANSFORM files PREPEND ${name}/)
list(TRANSFORM files PREPEND ${OUT}/ OUTPUT_VARIABLE paths)
file(CHMOD ${paths} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
execute_process(COMMAND touch -d "2005-01-01 00:00:00 UTC" ${files} WORKING_DIRECTORY ${OUT}
                COMMAND_ERROR_IS_FATAL ANY)
# -X: no extra attributes (owner, access times) that would differ per build.
execute_process(COMMAND env TZ=UTC zip -X -q ${name}.zip ${files} WORKING_DIRECTORY ${OUT}
                COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Release package: ${OUT}/${name}.zip\n${sums}")
