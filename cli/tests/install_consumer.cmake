# cmake -DBUILD_TREE=... -DPREFIX=... -DCONSUMER_SOURCE=... -DCONSUMER_BUILD=...
#       -DCXX_COMPILER=... -P install_consumer.cmake
#
# Installs the build tree into PREFIX, builds the consumer project against
# the package found there and runs it and the installed tool.
file(REMOVE_RECURSE ${PREFIX} ${CONSUMER_BUILD})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_TREE} --prefix ${PREFIX}
  COMMAND_ERROR_IS_FATAL ANY OUTPUT_QUIET)
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE} -B ${CONSUMER_BUILD}
    -DCMAKE_PREFIX_PATH=${PREFIX} -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=Release
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build ${CONSUMER_BUILD} COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CONSUMER_BUILD}/glimvane_consumer COMMAND_ERROR_IS_FATAL ANY)

include(GNUInstallDirs)
execute_process(COMMAND ${PREFIX}/${CMAKE_INSTALL_BINDIR}/glimvane-convert --version
  OUTPUT_VARIABLE version COMMAND_ERROR_IS_FATAL ANY)
if(NOT version MATCHES "^glimvane-convert [0-9]")
  message(FATAL_ERROR "the installed glimvane-convert printed '${version}' for --version")
endif()
message(STATUS "installed package and tool work: ${version}")
