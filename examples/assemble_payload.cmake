# cmake -DFROM=examples/payload -DNOTES=notes.exe -DUNINSTALLER=uninstaller.exe -DOUT=DIR -P assemble_payload.cmake
# Writes DIR/payload and DIR/payload-disks (see CMakeLists.txt). The large notes.hlp is the
# AES-CTR key stream of a fixed key: the same bytes on every machine, and none compress.
foreach(variant payload payload-disks)
  file(REMOVE_RECURSE ${OUT}/${variant})
  file(GLOB files ${FROM}/*)
  file(COPY ${files} ${NOTES} ${UNINSTALLER} DESTINATION ${OUT}/${variant})
endforeach()
set(help ${OUT}/payload-disks/notes.hlp)
execute_process(COMMAND head -c 3000000 /dev/zero
                COMMAND openssl enc -aes-128-ctr -nosalt -K 000102030405060708090a0b0c0d0e0f -iv 0
                OUTPUT_FILE ${help} RESULT_VARIABLE results)
file(SIZE ${help} size)
if(NOT size EQUAL 3000000)
  message(FATAL_ERROR "could not make ${help} (${results})")
endif()
