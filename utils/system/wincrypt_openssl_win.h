// <windows.h> and <wincrypt.h> for a file that also uses OpenSSL: wincrypt
// defines names that OpenSSL uses as types (X509_NAME, ...), so it comes
// first and those macros are dropped before OpenSSL's headers. Windows only.
#pragma once

#include <windows.h>

#include <wincrypt.h>
#undef X509_NAME
#undef X509_CERT_PAIR
#undef X509_EXTENSIONS
#undef PKCS7_SIGNER_INFO
#undef OCSP_REQUEST
#undef OCSP_RESPONSE
