// Linked into every program on the medium (cmake/ShippedPrograms.cmake): the unwinder that
// carries a thrown exception up the stack, in place of the compiler's (about 13 KB, with a
// full expression evaluator, forced unwinding and signal frames, none of which these
// programs use). It reads the unwind records the compiler writes for 32-bit x86 code and
// hands each frame to the language's handler in the usual two phases: the search for a
// handler, then the clean-ups up to it. Compiled without link-time optimisation (its entry
// points are written in assembly, which the linker must see as this file's) and without
// unwind records of its own: no exception passes through it.
#include <unwind.h>

#include <cstddef>
#include <cstdint>

#include "sys/win32/frame_lookup.h"

using zov::runtime::FrameRecord;

// The registers of one frame, numbered as the unwind records number them.
enum : unsigned { kEax = 0, kEdx = 2, kEsp = 4, kColumns = 9 };

struct _Unwind_Context {
    uint32_t reg[kColumns];
    uintptr_t ip;        // where the frame goes on: a return address, or a landing pad
    uintptr_t cfa;       // the frame's canonical frame address
    uintptr_t start;     // the function's first address
    uintptr_t lsda;
    uint32_t argsSize;   // bytes of arguments pushed at ip, dropped at a landing pad
};

namespace {

using zov::runtime::ReadSleb128;
using zov::runtime::ReadUleb128;
using zov::runtime::UnreadableUnwindTable;

// How a register of the caller is found once the frame is left.
enum class Rule : uint8_t { kSame, kAtCfa, kAtExpression, kInRegister };
struct RegisterRule {
    Rule rule;
    int32_t value;                     // kAtCfa: offset; kInRegister: the register
    const unsigned char* expression;   // kAtExpression
};
struct Row {
    RegisterRule reg[kColumns];
    uint32_t cfaRegister;
    int32_t cfaOffset;
    const unsigned char* cfaExpression;  // when set, the CFA comes from it
};
struct FrameState {
    Row row;
    Row initial;            // after the CIE's instructions, for DW_CFA_restore
    Row saved[4];           // DW_CFA_remember_state
    unsigned depth = 0;
    uint32_t argsSize = 0;
    uintptr_t location = 0;  // the code address the instructions have reached
};

uint32_t Load(uintptr_t address) { return *reinterpret_cast<const uint32_t*>(address); }

uint32_t Column(uint32_t n) {
    if (n >= kColumns) UnreadableUnwindTable();
    return n;
}

// Past a block of a length and that many bytes.
const unsigned char* SkipBlock(const unsigned char* p) {
    const uint32_t length = ReadUleb128(p);
    return p + length;
}

// The expressions GCC writes for frames that realign their stack: a register plus an
// offset, read through once or not.
uintptr_t Evaluate(const unsigned char* p, const _Unwind_Context& context, uintptr_t initial, bool pushInitial) {
    const uint32_t length = ReadUleb128(p);
    const unsigned char* end = p + length;
    uintptr_t stack[4];
    unsigned depth = 0;
    if (pushInitial) stack[depth++] = initial;
    while (p < end) {
        const unsigned char op = *p++;
        if (op >= 0x70 && op <= 0x78) {  // DW_OP_breg<n>
            if (depth == 4) UnreadableUnwindTable();
            stack[depth++] = context.reg[op - 0x70] + ReadSleb128(p);
        } else if (op == 0x06 && depth > 0) {  // DW_OP_deref
            stack[depth - 1] = Load(stack[depth - 1]);
        } else if (op == 0x23 && depth > 0) {  // DW_OP_plus_uconst
            stack[depth - 1] += ReadUleb128(p);
        } else {
            UnreadableUnwindTable();
        }
    }
    if (depth == 0) UnreadableUnwindTable();
    return stack[depth - 1];
}

// Runs unwind instructions up to (not including) code address `until`.
void Execute(const unsigned char* p, const unsigned char* end, const FrameRecord& record,
             uintptr_t until, FrameState& state) {
    uintptr_t& location = state.location;
    Row& row = state.row;
    while (p < end && location < until) {
        const unsigned char op = *p++;
        const unsigned char low = op & 0x3f;
        switch (op >> 6) {
            case 1: location += low * record.codeAlign; continue;  // DW_CFA_advance_loc
            case 2:                                                // DW_CFA_offset
                row.reg[Column(low)] = {Rule::kAtCfa, static_cast<int32_t>(ReadUleb128(p)) * record.dataAlign, nullptr};
                continue;
            case 3: row.reg[Column(low)] = state.initial.reg[low]; continue;  // DW_CFA_restore
        }
        switch (op) {
            case 0x00: break;                                                  // nop
            case 0x02: location += *p++ * record.codeAlign; break;             // advance_loc1
            case 0x03: location += (p[0] | p[1] << 8) * record.codeAlign; p += 2; break;
            case 0x04:
                location += (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24) * record.codeAlign;
                p += 4;
                break;
            case 0x05: {  // offset_extended
                const uint32_t n = Column(ReadUleb128(p));
                row.reg[n] = {Rule::kAtCfa, static_cast<int32_t>(ReadUleb128(p)) * record.dataAlign, nullptr};
                break;
            }
            case 0x11: {  // offset_extended_sf
                const uint32_t n = Column(ReadUleb128(p));
                row.reg[n] = {Rule::kAtCfa, ReadSleb128(p) * record.dataAlign, nullptr};
                break;
            }
            case 0x06: {  // restore_extended
                const uint32_t n = Column(ReadUleb128(p));
                row.reg[n] = state.initial.reg[n];
                break;
            }
            case 0x07: case 0x08:  // undefined, same_value
                row.reg[Column(ReadUleb128(p))] = {Rule::kSame, 0, nullptr};
                break;
            case 0x09: {  // register
                const uint32_t n = Column(ReadUleb128(p));
                row.reg[n] = {Rule::kInRegister, static_cast<int32_t>(Column(ReadUleb128(p))), nullptr};
                break;
            }
            case 0x0a:  // remember_state
                if (state.depth == 4) UnreadableUnwindTable();
                state.saved[state.depth++] = row;
                break;
            case 0x0b:  // restore_state
                if (state.depth == 0) UnreadableUnwindTable();
                row = state.saved[--state.depth];
                break;
            case 0x0c:  // def_cfa
                row.cfaRegister = Column(ReadUleb128(p));
                row.cfaOffset = static_cast<int32_t>(ReadUleb128(p));
                row.cfaExpression = nullptr;
                break;
            case 0x12:  // def_cfa_sf
                row.cfaRegister = Column(ReadUleb128(p));
                row.cfaOffset = ReadSleb128(p) * record.dataAlign;
                row.cfaExpression = nullptr;
                break;
            case 0x0d: row.cfaRegister = Column(ReadUleb128(p)); row.cfaExpression = nullptr; break;
            case 0x0e: row.cfaOffset = static_cast<int32_t>(ReadUleb128(p)); break;
            case 0x13: row.cfaOffset = ReadSleb128(p) * record.dataAlign; break;
            case 0x0f:  // def_cfa_expression
                row.cfaExpression = p;
                p = SkipBlock(p);
                break;
            case 0x10: {  // expression
                const uint32_t n = Column(ReadUleb128(p));
                row.reg[n] = {Rule::kAtExpression, 0, p};
                p = SkipBlock(p);
                break;
            }
            case 0x2e: state.argsSize = ReadUleb128(p); break;  // GNU_args_size
            default: UnreadableUnwindTable();
        }
    }
}

}  // namespace

namespace {

using Personality = _Unwind_Reason_Code (*)(int, _Unwind_Action, _Unwind_Exception_Class,
                                            _Unwind_Exception*, _Unwind_Context*);

// Reads the record of the frame in `context`: completes the frame's own fields and gives
// its caller's registers in `caller`, and the frame's handler. False when no record covers
// the frame.
bool Step(_Unwind_Context& context, _Unwind_Context& caller, Personality& personality) {
    FrameRecord record;
    if (!zov::runtime::FindFrameRecord(context.ip - 1, record)) return false;
    if (record.returnColumn >= kColumns) UnreadableUnwindTable();
    FrameState state;
    Row& row = state.row;
    for (RegisterRule& r : row.reg) r = {Rule::kSame, 0, nullptr};
    row.cfaRegister = kEsp;
    row.cfaOffset = 0;
    row.cfaExpression = nullptr;
    state.location = record.start;
    Execute(record.cieProgram, record.cieEnd, record, UINTPTR_MAX, state);
    state.initial = row;
    // The usual frame set-up and tear-down, which the table keeps once, around the record's
    // own instructions.
    state.location = record.start;
    Execute(record.setUp, record.setUpEnd, record, context.ip, state);
    Execute(record.program, record.end, record, context.ip, state);
    Execute(record.tearDown, record.tearDownEnd, record, context.ip, state);
    context.cfa = row.cfaExpression ? Evaluate(row.cfaExpression, context, 0, false)
                                    : context.reg[row.cfaRegister] + row.cfaOffset;
    context.start = record.start;
    context.lsda = record.lsda;
    context.argsSize = state.argsSize;
    personality = reinterpret_cast<Personality>(record.personality);
    caller = context;
    for (unsigned n = 0; n < kColumns; ++n) {
        const RegisterRule& r = row.reg[n];
        if (r.rule == Rule::kAtCfa) caller.reg[n] = Load(context.cfa + r.value);
        else if (r.rule == Rule::kAtExpression) caller.reg[n] = Load(Evaluate(r.expression, context, context.cfa, true));
        else if (r.rule == Rule::kInRegister) caller.reg[n] = context.reg[r.value];
    }
    caller.reg[kEsp] = context.cfa;
    caller.ip = caller.reg[record.returnColumn];
    return true;
}

// Continues the program at the context's address with its registers: a landing pad, with
// the exception and its selector in the registers the handler set.
[[noreturn]] void Install(const _Unwind_Context& context) {
    _Unwind_Context target = context;
    target.reg[kEsp] += target.argsSize;
    static_assert(offsetof(_Unwind_Context, ip) == 36);
    asm volatile(
        "movl %0, %%ecx\n\t"
        "movl 0(%%ecx), %%eax\n\t"
        "movl 8(%%ecx), %%edx\n\t"
        "movl 12(%%ecx), %%ebx\n\t"
        "movl 20(%%ecx), %%ebp\n\t"
        "movl 24(%%ecx), %%esi\n\t"
        "movl 28(%%ecx), %%edi\n\t"
        "movl 16(%%ecx), %%esp\n\t"
        "jmp *36(%%ecx)"
        :
        : "r"(&target)
        : "memory");
    __builtin_unreachable();
}

// The clean-ups from the frame in `context` up to the handler the search found, whose frame
// private_2 names; ends at the handler's landing pad.
[[noreturn]] void CleanUp(_Unwind_Exception* exception, _Unwind_Context context) {
    for (;;) {
        _Unwind_Context caller;
        Personality personality;
        if (!Step(context, caller, personality)) UnreadableUnwindTable();
        const bool handlerFrame = context.cfa == exception->private_2;
        if (personality) {
            const auto actions = static_cast<_Unwind_Action>(_UA_CLEANUP_PHASE | (handlerFrame ? _UA_HANDLER_FRAME : 0));
            const _Unwind_Reason_Code code = personality(1, actions, exception->exception_class, exception, &context);
            if (code == _URC_INSTALL_CONTEXT) Install(context);
            if (code != _URC_CONTINUE_UNWIND) UnreadableUnwindTable();
        }
        if (handlerFrame) UnreadableUnwindTable();
        context = caller;
    }
}

// The frame that called an entry point, from the registers the entry saved: ebx, esi, edi,
// ebp, then the return address, above which the caller's stack goes on.
_Unwind_Context CallerOf(const uint32_t* saved) {
    _Unwind_Context context{};
    context.reg[3] = saved[0];
    context.reg[6] = saved[1];
    context.reg[7] = saved[2];
    context.reg[5] = saved[3];
    context.reg[kEsp] = reinterpret_cast<uintptr_t>(saved + 5);
    context.ip = saved[4];
    return context;
}

}  // namespace

extern "C" {

// The search for a handler from the thrower's frame up; then the clean-ups, which end in
// the handler. Returns only when no frame handles the exception.
__attribute__((used)) _Unwind_Reason_Code zov_RaiseFromCaller(_Unwind_Exception* exception, const uint32_t* saved) {
    const _Unwind_Context thrower = CallerOf(saved);
    _Unwind_Context context = thrower;
    for (;;) {
        _Unwind_Context caller;
        Personality personality;
        if (!Step(context, caller, personality)) return _URC_END_OF_STACK;
        if (personality) {
            const _Unwind_Reason_Code code = personality(1, _UA_SEARCH_PHASE, exception->exception_class, exception, &context);
            if (code == _URC_HANDLER_FOUND) break;
            if (code != _URC_CONTINUE_UNWIND) return _URC_FATAL_PHASE1_ERROR;
        }
        context = caller;
    }
    exception->private_1 = 0;
    exception->private_2 = context.cfa;
    CleanUp(exception, thrower);
}

// A landing pad that only cleaned up passes the exception on from its frame.
__attribute__((used)) void zov_ResumeFromCaller(_Unwind_Exception* exception, const uint32_t* saved) {
    CleanUp(exception, CallerOf(saved));
}

void _Unwind_DeleteException(_Unwind_Exception* exception) {
    if (exception->exception_cleanup) exception->exception_cleanup(_URC_FOREIGN_EXCEPTION_CAUGHT, exception);
}
_Unwind_Ptr _Unwind_GetIPInfo(_Unwind_Context* context, int* beforeInstruction) {
    *beforeInstruction = 0;
    return context->ip;
}
void* _Unwind_GetLanguageSpecificData(_Unwind_Context* context) {
    return reinterpret_cast<void*>(context->lsda);
}
_Unwind_Ptr _Unwind_GetRegionStart(_Unwind_Context* context) { return context->start; }
// Bases of encodings that the compiler does not write for these programs.
_Unwind_Ptr _Unwind_GetTextRelBase(_Unwind_Context*) { return 0; }
_Unwind_Ptr _Unwind_GetDataRelBase(_Unwind_Context*) { return 0; }
void _Unwind_SetGR(_Unwind_Context* context, int index, _Unwind_Word value) {
    context->reg[Column(static_cast<uint32_t>(index))] = value;
}
void _Unwind_SetIP(_Unwind_Context* context, _Unwind_Ptr ip) { context->ip = ip; }

}  // extern "C"

// The entry points save the registers the caller expects kept (ebx, esi, edi, ebp) below
// its return address and pass them on: they are the thrower's frame. Rethrowing is raising
// again, since nothing here unwinds by force.
asm(R"(
	.text
	.globl __Unwind_RaiseException
	.globl __Unwind_Resume_or_Rethrow
	.globl __Unwind_Resume
__Unwind_RaiseException:
__Unwind_Resume_or_Rethrow:
	movl $_zov_RaiseFromCaller, %eax
	jmp zov_unwind_entry
__Unwind_Resume:
	movl $_zov_ResumeFromCaller, %eax
zov_unwind_entry:
	pushl %ebp
	pushl %edi
	pushl %esi
	pushl %ebx
	movl %esp, %ecx
	pushl %ecx
	pushl 24(%esp)
	call *%eax
	addl $8, %esp
	popl %ebx
	popl %esi
	popl %edi
	popl %ebp
	ret
)");
