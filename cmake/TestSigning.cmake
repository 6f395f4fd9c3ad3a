# Test signers for the Windows tests of the full installer's signature check
# (cmake/make-test-signers): made once in the build tree at configure time,
# so that the pinned test program can be built with the signer's pin.
# Defines TAVO_TEST_SIGNERS_DIR and TAVO_TEST_SIGNER_PIN.
set(TAVO_TEST_SIGNERS_DIR ${CMAKE_BINARY_DIR}/test-signers)
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/cmake/make-test-signers ${TAVO_TEST_SIGNERS_DIR}
  RESULT_VARIABLE _tavo_signers_rc)
if(NOT _tavo_signers_rc EQUAL 0)
  message(FATAL_ERROR "cmake/make-test-signers failed (openssl missing? run scripts/setup-deps)")
endif()
file(READ ${TAVO_TEST_SIGNERS_DIR}/signer-a.pin TAVO_TEST_SIGNER_PIN)
string(STRIP "${TAVO_TEST_SIGNER_PIN}" TAVO_TEST_SIGNER_PIN)
