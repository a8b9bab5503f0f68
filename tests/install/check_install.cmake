file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(rc)
  message(FATAL_ERROR "install failed: ${rc}")
endif()

file(GLOB_RECURSE pcfiles ${prefix}/*/tolutil.pc)
list(LENGTH pcfiles n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one tolutil.pc under ${prefix}, found: ${pcfiles}")
endif()
get_filename_component(pcdir ${pcfiles} DIRECTORY)
set(ENV{PKG_CONFIG_PATH} ${pcdir})
execute_process(COMMAND pkg-config --cflags --libs tolutil zurnmake OUTPUT_VARIABLE both
                RESULT_VARIABLE rc OUTPUT_STRIP_TRAILING_WHITESPACE)
if(rc)
  message(FATAL_ERROR "pkg-config failed")
endif()
separate_arguments(both UNIX_COMMAND "${both}")
execute_process(COMMAND pkg-config --variable=libdir tolutil OUTPUT_VARIABLE libdir
                OUTPUT_STRIP_TRAILING_WHITESPACE)

set(extra)
if(SANITIZE)
  list(APPEND extra -fsanitize=${SANITIZE})
endif()
execute_process(COMMAND ${CC} ${SOURCE} ${both} ${extra} -Wl,-rpath,${libdir} -o ${WORK_DIR}/outside
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "compiling against the installed libraries failed")
endif()
# A short name relative to the work folder: the file records hold 127 bytes.
execute_process(COMMAND ${WORK_DIR}/outside bits.bin WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the outside program failed: ${rc}")
endif()
