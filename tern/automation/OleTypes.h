#pragma once
// The automation vocabulary the link server and its clients share: HRESULT
// values, VARIANT type codes and automation booleans, with the numbers an
// automation client knows them by.
#include <cstdint>

namespace tern {

using HRESULT = int32_t;
using SCODE = int32_t;
using VARTYPE = uint16_t;
using VARIANT_BOOL = int16_t;

constexpr HRESULT makeHResult(uint32_t bits) { return static_cast<HRESULT>(bits); }
constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = makeHResult(0x8000FFFF);
constexpr HRESULT E_FAIL = makeHResult(0x80004005);
constexpr HRESULT E_INVALIDARG = makeHResult(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = makeHResult(0x8007000E);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = makeHResult(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = makeHResult(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = makeHResult(0x80020005);
constexpr HRESULT DISP_E_BADVARTYPE = makeHResult(0x80020008);
constexpr HRESULT DISP_E_BADPARAMCOUNT = makeHResult(0x8002000E);
constexpr HRESULT REGDB_E_CLASSNOTREG = makeHResult(0x80040154);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = makeHResult(0x80040111);
constexpr HRESULT CO_E_CLASSSTRING = makeHResult(0x800401F3);
constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = makeHResult(0x80080005);
constexpr HRESULT CO_E_SERVER_STOPPING = makeHResult(0x80080008);
constexpr HRESULT RPC_E_DISCONNECTED = makeHResult(0x80010108);
constexpr HRESULT RPC_E_SERVERFAULT = makeHResult(0x80010105);
constexpr HRESULT RPC_E_TIMEOUT = makeHResult(0x8001011F);
constexpr HRESULT CO_E_OBJNOTCONNECTED = makeHResult(0x800401FD);

constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
constexpr VARIANT_BOOL toVariantBool(bool b) { return b ? VARIANT_TRUE : VARIANT_FALSE; }

enum VarEnum : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_TYPEMASK = 0x0FFF,
};

}  // namespace tern
