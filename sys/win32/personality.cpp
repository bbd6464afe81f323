// Linked into every program on the medium (cmake/ShippedPrograms.cmake): the C++ handler the
// unwinder asks about each frame, in place of the library's (which also serves dynamic
// exception specifications, foreign and dependent exceptions and the ARM unwinder: 3.5 KB).
// It reads the frame's table of call sites and catch clauses that the compiler writes
// (.gcc_except_table) and keeps what it found in the library's record of the exception,
// where __cxa_begin_catch and the rethrow expect it.
#include <unwind.h>

#include <cstdint>
#include <exception>
#include <typeinfo>

#include "sys/win32/frame_lookup.h"

namespace {

using zov::runtime::ReadEncoded;
using zov::runtime::ReadUleb128;
using zov::runtime::ReadSleb128;

constexpr unsigned char kOmit = 0xff;
constexpr _Unwind_Exception_Class kCxxException = 0x474e5543432b2b00ull;  // "GNUCC++\0"

// The library's record of a thrown exception, which ends with the unwinder's header; the
// thrown object follows it.
struct CxaException {
    std::type_info* exceptionType;
    void (*exceptionDestructor)(void*);
    void (*unexpectedHandler)();
    void (*terminateHandler)();
    CxaException* nextException;
    int handlerCount;
    int handlerSwitchValue;
    const unsigned char* actionRecord;
    const unsigned char* languageSpecificData;
    _Unwind_Ptr catchTemp;  // the handler's landing pad
    void* adjustedPtr;      // the object as the catch clause's type sees it
    _Unwind_Exception unwindHeader;
};

CxaException* RecordOf(_Unwind_Exception* header) {
    return reinterpret_cast<CxaException*>(reinterpret_cast<char*>(header + 1) - sizeof(CxaException));
}

// Whether a catch clause of `type` (null: catch (...)) takes the exception; `object` becomes
// the object as that type sees it.
bool Catches(const std::type_info* type, const CxaException* record, bool ours, void*& object) {
    if (!type) return true;
    if (!ours) return false;
    const std::type_info* thrown = record->exceptionType;
    void* adjusted = const_cast<CxaException*>(record) + 1;
    if (thrown->__is_pointer_p()) adjusted = *static_cast<void**>(adjusted);
    if (!type->__do_catch(thrown, &adjusted, 1)) return false;
    object = adjusted;
    return true;
}

}  // namespace

extern "C" __attribute__((used)) _Unwind_Reason_Code __gxx_personality_v0(int version, _Unwind_Action actions,
                                                                       _Unwind_Exception_Class kind,
                                                                       _Unwind_Exception* header,
                                                                       _Unwind_Context* context) {
    if (version != 1) return _URC_FATAL_PHASE1_ERROR;
    const bool ours = kind == kCxxException;
    CxaException* record = RecordOf(header);
    if (actions == (_UA_CLEANUP_PHASE | _UA_HANDLER_FRAME) && ours) {
        // The search found this frame's handler and kept what it needs.
        _Unwind_SetGR(context, __builtin_eh_return_data_regno(0), reinterpret_cast<_Unwind_Ptr>(header));
        _Unwind_SetGR(context, __builtin_eh_return_data_regno(1), static_cast<_Unwind_Word>(record->handlerSwitchValue));
        _Unwind_SetIP(context, record->catchTemp);
        return _URC_INSTALL_CONTEXT;
    }
    const auto* lsda = static_cast<const unsigned char*>(_Unwind_GetLanguageSpecificData(context));
    if (!lsda) return _URC_CONTINUE_UNWIND;

    const _Unwind_Ptr functionStart = _Unwind_GetRegionStart(context);
    const unsigned char* p = lsda;
    const unsigned char landingPadsEncoding = *p++;
    const _Unwind_Ptr landingPads = landingPadsEncoding == kOmit ? functionStart : ReadEncoded(p, landingPadsEncoding);
    const unsigned char typesEncoding = *p++;
    const unsigned char* types = nullptr;
    if (typesEncoding != kOmit) {
        if ((typesEncoding & 0x07) != 0x03 && (typesEncoding & 0x0f) != 0) zov::runtime::UnreadableUnwindTable();
        const uint32_t offset = ReadUleb128(p);
        types = p + offset;
    }
    const unsigned char callSiteEncoding = *p++;
    const uint32_t callSitesLength = ReadUleb128(p);
    const unsigned char* actions_ = p + callSitesLength;

    int ipBeforeInstruction = 0;
    _Unwind_Ptr ip = _Unwind_GetIPInfo(context, &ipBeforeInstruction);
    if (!ipBeforeInstruction) --ip;

    // The call site that holds ip: its landing pad and its first action.
    _Unwind_Ptr landingPad = 0;
    const unsigned char* action = nullptr;
    for (;;) {
        if (p >= actions_) std::terminate();  // a call that may not throw did
        const _Unwind_Ptr start = ReadEncoded(p, callSiteEncoding);
        const _Unwind_Ptr length = ReadEncoded(p, callSiteEncoding);
        const _Unwind_Ptr pad = ReadEncoded(p, callSiteEncoding);
        const uint32_t firstAction = ReadUleb128(p);
        if (ip < functionStart + start) std::terminate();
        if (ip >= functionStart + start + length) continue;
        if (pad == 0) return _URC_CONTINUE_UNWIND;
        landingPad = landingPads + pad;
        if (firstAction) action = actions_ + firstAction - 1;
        break;
    }

    // The action chain: catch clauses (positive filters) and a clean-up (zero).
    bool cleanup = action == nullptr;
    int filter = 0;
    void* object = nullptr;
    while (action) {
        const int32_t clause = ReadSleb128(action);
        const unsigned char* next = action;
        const int32_t displacement = ReadSleb128(action);
        if (clause == 0) {
            cleanup = true;
        } else if (clause > 0) {
            const unsigned char* entry = types - clause * 4;
            const auto* type = reinterpret_cast<const std::type_info*>(ReadEncoded(entry, typesEncoding));
            if (Catches(type, record, ours, object)) {
                filter = clause;
                break;
            }
        } else {
            std::terminate();  // exception specifications: none in these programs
        }
        action = displacement ? next + displacement : nullptr;
    }

    if (actions & _UA_SEARCH_PHASE) {
        if (filter == 0) return _URC_CONTINUE_UNWIND;
        if (ours) {
            record->handlerSwitchValue = filter;
            record->languageSpecificData = lsda;
            record->catchTemp = landingPad;
            record->adjustedPtr = object;
        }
        return _URC_HANDLER_FOUND;
    }
    if (!cleanup) return _URC_CONTINUE_UNWIND;
    _Unwind_SetGR(context, __builtin_eh_return_data_regno(0), reinterpret_cast<_Unwind_Ptr>(header));
    _Unwind_SetGR(context, __builtin_eh_return_data_regno(1), 0);
    _Unwind_SetIP(context, landingPad);
    return _URC_INSTALL_CONTEXT;
}
