// Linked into mirrak-generator-faults.exe, a test build of the program, to make system calls fail
// where a test asks, through environment variables (the shipped program has no such switch):
//   MIRRAK_FAIL_ACQUIRE=1          CryptAcquireContextA fails
//   MIRRAK_FAIL_CRYPTGENRANDOM=K   the K-th CryptGenRandom call (1: the first) and every later one
//                                  fail
//   MIRRAK_FAIL_WRITE=N            WriteFile to disk files fails (disk full) once N bytes are out
//   MIRRAK_FAIL_FLUSH=1            FlushFileBuffers fails
//   MIRRAK_FAIL_MOVE=1             MoveFileExA fails (access denied)
// It defines the import-table entries __imp_<function> itself, which the linker takes before the
// system libraries' ones; they forward to the real functions.
#include <cstdlib>
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

namespace {

long Setting(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atol(value) : 0;
}

template <class Function> Function Real(const char* library, const char* name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA(library), name)));
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

long g_randomCalls = 0;
long long g_written = 0;

BOOL WINAPI AcquireContext(HCRYPTPROV* provider, LPCSTR container, LPCSTR name, DWORD type,
                           DWORD flags) {
    if (Setting("MIRRAK_FAIL_ACQUIRE") != 0)
        return Fail(DWORD(NTE_KEYSET_NOT_DEF));
    return Real<decltype(&CryptAcquireContextA)>("advapi32.dll", "CryptAcquireContextA")(
        provider, container, name, type, flags);
}

BOOL WINAPI GenRandom(HCRYPTPROV provider, DWORD length, BYTE* buffer) {
    const long failAt = Setting("MIRRAK_FAIL_CRYPTGENRANDOM");
    if (failAt > 0 && ++g_randomCalls >= failAt)
        return Fail(DWORD(NTE_FAIL));
    return Real<decltype(&CryptGenRandom)>("advapi32.dll", "CryptGenRandom")(provider, length,
                                                                             buffer);
}

BOOL WINAPI Write(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    const auto real = Real<decltype(&WriteFile)>("kernel32.dll", "WriteFile");
    const long limit = Setting("MIRRAK_FAIL_WRITE");
    if (limit <= 0 || GetFileType(file) != FILE_TYPE_DISK)
        return real(file, data, size, written, overlapped);
    if (g_written >= limit)
        return Fail(ERROR_DISK_FULL);
    if (size > limit - g_written)
        size = DWORD(limit - g_written);
    const BOOL ok = real(file, data, size, written, overlapped);
    if (ok && written != nullptr)
        g_written += *written;
    return ok;
}

BOOL WINAPI Flush(HANDLE file) {
    if (Setting("MIRRAK_FAIL_FLUSH") != 0)
        return Fail(ERROR_WRITE_FAULT);
    return Real<decltype(&FlushFileBuffers)>("kernel32.dll", "FlushFileBuffers")(file);
}

BOOL WINAPI Move(LPCSTR from, LPCSTR to, DWORD flags) {
    if (Setting("MIRRAK_FAIL_MOVE") != 0)
        return Fail(ERROR_ACCESS_DENIED);
    return Real<decltype(&MoveFileExA)>("kernel32.dll", "MoveFileExA")(from, to, flags);
}

} // namespace

extern "C" {
decltype(&CryptAcquireContextA) __imp_CryptAcquireContextA = AcquireContext;
decltype(&CryptGenRandom) __imp_CryptGenRandom = GenRandom;
decltype(&WriteFile) __imp_WriteFile = Write;
decltype(&FlushFileBuffers) __imp_FlushFileBuffers = Flush;
decltype(&MoveFileExA) __imp_MoveFileExA = Move;
}
