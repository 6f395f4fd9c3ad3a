#include "utils/system/wincrypt_openssl_win.h"

#include <softpub.h>
#include <wintrust.h>

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

#include "utils/log/textconv.h"
#include "utils/system/signature.h"

namespace Utils {

namespace {

// WinVerifyTrust fetches nothing here, but a broken provider must not hold
// the run: it is given up after this long.
constexpr auto kVerifyBudget = std::chrono::seconds(30);

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);

// wintrust.dll is no known system DLL: it is loaded by its full path in the
// system folder, never found through the search path.
struct WinTrust {
    WinVerifyTrustFn verify = nullptr;
    ProvDataFn provData = nullptr;
    ProvSignerFn signer = nullptr;
};

template <typename F>
F Proc(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const WinTrust& LoadWinTrust() {
    static const WinTrust api = [] {
        WinTrust loaded;
        wchar_t system[MAX_PATH] = {};
        const UINT length = GetSystemDirectoryW(system, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return loaded;
        }
        const std::wstring path = std::wstring(system) + L"\\wintrust.dll";
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (module == nullptr) {
            return loaded;
        }
        loaded.verify = Proc<WinVerifyTrustFn>(module, "WinVerifyTrust");
        loaded.provData = Proc<ProvDataFn>(module, "WTHelperProvDataFromStateData");
        loaded.signer = Proc<ProvSignerFn>(module, "WTHelperGetProvSignerFromChain");
        return loaded;
    }();
    return api;
}

// SHA-256 of the certificate's SubjectPublicKeyInfo, as DER; "" when the
// certificate cannot be read.
std::string SpkiPin(PCCERT_CONTEXT cert) {
    const unsigned char* der = cert->pbCertEncoded;
    X509* x509 = d2i_X509(nullptr, &der, static_cast<long>(cert->cbCertEncoded));
    if (x509 == nullptr) {
        return {};
    }
    unsigned char* spki = nullptr;
    const int length = i2d_X509_PUBKEY(X509_get_X509_PUBKEY(x509), &spki);
    std::string pin;
    unsigned char digest[EVP_MAX_MD_SIZE] = {};
    unsigned int digestLength = 0;
    if (length > 0 && EVP_Digest(spki, static_cast<size_t>(length), digest, &digestLength,
                                 EVP_sha256(), nullptr) == 1) {
        pin = LowerHex(digest, digestLength);
    }
    OPENSSL_free(spki);
    X509_free(x509);
    return pin;
}

std::string Subject(PCCERT_CONTEXT cert) {
    wchar_t name[512] = {};
    CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, 512);
    return WideToUtf8(name);
}

// One verification on its own thread: its state outlives a caller that gave
// up waiting.
struct Verification {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;  // guarded by mutex
    SignatureCheck check;
};

void Verify(HANDLE file, const std::wstring& path, const std::vector<std::string>& pins,
            SignatureCheck& check) {
    const WinTrust& api = LoadWinTrust();
    if (api.verify == nullptr || api.provData == nullptr || api.signer == nullptr) {
        check.trustResult = static_cast<long>(GetLastError());
        return;
    }
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL | WTD_REVOCATION_CHECK_NONE;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    check.trustResult = api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);

    bool pinned = false;
    CRYPT_PROVIDER_DATA* provider = api.provData(data.hWVTStateData);
    CRYPT_PROVIDER_SGNR* signer = provider != nullptr ? api.signer(provider, 0, FALSE, 0) : nullptr;
    if (signer != nullptr) {
        for (DWORD i = 0; i < signer->csCertChain; ++i) {
            PCCERT_CONTEXT cert = signer->pasCertChain[i].pCert;
            if (cert == nullptr) {
                continue;
            }
            const std::string pin = SpkiPin(cert);
            if (i == 0) {
                check.signer = Subject(cert);
                check.signerPin = pin;
            }
            for (const std::string& wanted : pins) {
                pinned = pinned || (!pin.empty() && pin == wanted);
            }
        }
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    api.verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    check.accepted = check.trustResult == 0 && pinned;
}

}  // namespace

SignatureCheck VerifyFileSignature(const HeldFile& file, const std::wstring& path,
                                   const std::vector<std::string>& pins) {
    // The thread gets a handle of its own: it may outlive this call.
    HANDLE own = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), reinterpret_cast<HANDLE>(file.handle()),
                         GetCurrentProcess(), &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        own = nullptr;
    }
    auto verification = std::make_shared<Verification>();
    std::thread([verification, own, path, pins] {
        SignatureCheck check;
        Verify(own != nullptr ? own : INVALID_HANDLE_VALUE, path, pins, check);
        if (own != nullptr) {
            CloseHandle(own);
        }
        std::lock_guard<std::mutex> lock(verification->mutex);
        verification->check = std::move(check);
        verification->finished = true;
        verification->done.notify_all();
    }).detach();

    SignatureCheck check;
    {
        std::unique_lock<std::mutex> lock(verification->mutex);
        if (verification->done.wait_for(lock, kVerifyBudget,
                                        [&] { return verification->finished; })) {
            check = verification->check;
        } else {
            check.trustResult = static_cast<long>(WAIT_TIMEOUT);
        }
    }
    char result[16] = {};
    std::snprintf(result, sizeof result, "0x%08lX", static_cast<unsigned long>(check.trustResult));
    check.text = std::string("WinVerifyTrust=") + result + " signer=\"" + check.signer +
                 "\" spki-sha256=" + (check.signerPin.empty() ? "-" : check.signerPin) +
                 (check.accepted ? " accepted" : " refused");
    return check;
}

bool PlatformChecksSignatures() {
    return true;
}

}  // namespace Utils
