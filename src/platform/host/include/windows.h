// Host stand-in for the part of <windows.h> the program uses. Types and constants carry the Win32
// sizes and values; the functions are implemented over an in-memory world (hostworld.h) that
// tests set up, inspect, and plant failures in.
#pragma once

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CONST const

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef LONG LSTATUS;
typedef int BOOL;
typedef unsigned int UINT;
typedef char CHAR;
typedef CHAR* LPSTR;
typedef const CHAR* LPCSTR;
typedef BYTE* LPBYTE;
typedef const BYTE* LPCBYTE;
typedef DWORD* LPDWORD;
typedef void* LPVOID;
typedef void* HANDLE;
typedef void* PVOID;
typedef uintptr_t ULONG_PTR;
typedef ULONG_PTR DWORD_PTR;
typedef DWORD REGSAM;
typedef DWORD LCID;
typedef DWORD LCTYPE;

struct HKEY__ { int unused; };
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
struct HWND__ { int unused; };
typedef HWND__* HWND;
struct HINSTANCE__ { int unused; };
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_READ 0x20019u
#define KEY_ALL_ACCESS 0xF003Fu
#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define ERROR_SUCCESS 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_BAD_PATHNAME 161L
#define ERROR_MORE_DATA 234L

#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)))
#define FILE_ATTRIBUTE_READONLY 0x01u
#define FILE_ATTRIBUTE_DIRECTORY 0x10u
#define FILE_ATTRIBUTE_ARCHIVE 0x20u
#define FILE_ATTRIBUTE_NORMAL 0x80u

#define LOCALE_IDEFAULTANSICODEPAGE 0x1004u
#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2

#define MB_OK 0x0u
#define MB_ICONERROR 0x10u
#define MB_TASKMODAL 0x2000u
#define IDOK 1

#define EXCEPTION_NONCONTINUABLE 0x1u
#define EXCEPTION_MAXIMUM_PARAMETERS 15
#define EXCEPTION_EXECUTE_HANDLER 1
#define EXCEPTION_CONTINUE_SEARCH 0
#define EXCEPTION_CONTINUE_EXECUTION (-1)

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};
typedef FILETIME* LPFILETIME;

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

struct CPINFO {
  UINT MaxCharSize;
  BYTE DefaultChar[MAX_DEFAULTCHAR];
  BYTE LeadByte[MAX_LEADBYTES];
};
typedef CPINFO* LPCPINFO;

struct SECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct EXCEPTION_RECORD {
  DWORD ExceptionCode;
  DWORD ExceptionFlags;
  EXCEPTION_RECORD* ExceptionRecord;
  PVOID ExceptionAddress;
  DWORD NumberParameters;
  ULONG_PTR ExceptionInformation[EXCEPTION_MAXIMUM_PARAMETERS];
};
struct CONTEXT {
  DWORD ContextFlags;
};
struct EXCEPTION_POINTERS {
  EXCEPTION_RECORD* ExceptionRecord;
  CONTEXT* ContextRecord;
};

// advapi32
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub_key, DWORD options, REGSAM sam, PHKEY result);
LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR sub_key, DWORD reserved, LPSTR class_name, DWORD options,
                            REGSAM sam, LPSECURITY_ATTRIBUTES security, PHKEY result,
                            LPDWORD disposition);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD size);
LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size);
LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name);
LONG WINAPI RegCloseKey(HKEY key);

// kernel32
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
HMODULE WINAPI GetModuleHandleA(LPCSTR name);
LCID WINAPI GetThreadLocale();
int WINAPI GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR data, int size);
BOOL WINAPI GetCPInfo(UINT code_page, LPCPINFO info);
HANDLE WINAPI FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data);
BOOL WINAPI FindClose(HANDLE find);
BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* utc, LPFILETIME local);
BOOL WINAPI FileTimeToDosDateTime(const FILETIME* time, WORD* dos_date, WORD* dos_time);
LONG WINAPI UnhandledExceptionFilter(EXCEPTION_POINTERS* pointers);
void WINAPI RaiseException(DWORD code, DWORD flags, DWORD count, const ULONG_PTR* arguments);
void WINAPI RtlCaptureContext(CONTEXT* context);

// user32
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
