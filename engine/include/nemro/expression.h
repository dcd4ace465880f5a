// The expression engine: elements, the element stack and CGNTExpression.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "nemro/export.h"
#include "nemro/message_box.h"

namespace nemro {

// Element kind: high 16 bits the class, low 16 bits a value type code.
inline constexpr std::int32_t ekEmpty = 0;
inline constexpr std::int32_t ekString = 8;
inline constexpr std::int32_t ekBoolean = 11;
inline constexpr std::int32_t ekNumber = 14;
inline constexpr std::int32_t ekVariable = 0x10000;
inline constexpr std::int32_t ekFunction = 0x20000;
inline constexpr std::int32_t ekExpression = 0x40000;
inline constexpr std::int32_t ekOperator = 0x80000;
inline constexpr std::int32_t ekDelimiter = 0x100000;

// Value type codes of the low 16 bits.
inline constexpr std::int32_t vtString = 8;
inline constexpr std::int32_t vtBoolean = 11;
inline constexpr std::int32_t vtAny = 12;
inline constexpr std::int32_t vtNumber = 14;

inline constexpr std::int32_t kOperandPriority = 99;

struct ExpElement {
    std::string Text;
    std::int32_t Kind = ekEmpty;
    std::int32_t Priority = 0;

    friend bool operator==(const ExpElement&, const ExpElement&) = default;
};

// LIFO stack of elements whose capacity moves in steps of 16 slots.
class NEMRO_API CExpElmStack {
  public:
    static constexpr std::int32_t kStep = 16;

    void Push(const ExpElement& element);
    void Push(ExpElement&& element);
    bool Pop(ExpElement& out);
    // index 0 addresses the top, 1..count the slots from the bottom.
    bool Peek(ExpElement& out, std::int32_t index = 0) const;
    bool SetAt(const ExpElement& element, std::int32_t index = 0);
    CExpElmStack Clone() const;
    // Element count; overflow error 6 beyond 32767.
    std::int16_t StackSize() const;

    std::int32_t Count() const noexcept { return count_; }
    // Slots allocated by the growth rule; the storage behind them is allocated
    // geometrically so that long runs of pushes and pops stay linear.
    std::int32_t Capacity() const noexcept { return capacity_; }
    bool Empty() const noexcept { return count_ == 0; }
    // Allocates storage for `elements` elements ahead of the pushes that fill it; the
    // capacity of the growth rule is not affected.
    void ReserveStorage(std::int32_t elements) {
        slots_.reserve(static_cast<std::size_t>(elements));
    }
    // The element `depth` places below the top (0 is the top), to work on in place;
    // count must exceed depth.
    ExpElement& FromTop(std::int32_t depth) {
        return slots_[static_cast<std::size_t>(count_ - 1 - depth)];
    }
    // Pop without copying the element out; false on an empty stack.
    bool Drop();

  private:
    std::vector<ExpElement> slots_;  // size() is the count
    std::int32_t count_ = 0;
    std::int32_t capacity_ = 0;
};

// The engine's owner answers calls of unknown functions and variables through this.
// Every callback defaults to "not handled", which leaves the preset values.
//
// UserFunction is asked for a call of a function that is not built in, with its name
// upper-cased and its arguments (the first on top), and answers a status in Value, which
// comes preset to "-1" (read without its leading and trailing blanks):
//   "-1"  no such function: error 35, "错误的自定义函数“NAME”。";
//   "0"   the call is accepted and yields the string "0" (the formula check's stand-in
//         for a function the host computes);
//   "1"   wrong argument count: error 35, "函数“NAME”的参数个数不正确。";
//   "2"   a required argument left empty: error 35, "函数“NAME”的必选参数不可以为空。";
//   any other answer: the call is accepted and yields no value.
// UserVariable answers a variable's value as the engine reads it ("12.5" a number,
// "True" a boolean, "\"abc\"" a string, "#7" error 7); left empty, it reads as 0.
class NEMRO_API IExpressionListener {
  public:
    virtual ~IExpressionListener() = default;
    virtual void CheckUserFunction(const std::string& Name, CExpElmStack& Arguments,
                                   std::int32_t& ReturnType, std::int32_t& ErrNum,
                                   std::string& ErrDes) {
        (void)Name, (void)Arguments, (void)ReturnType, (void)ErrNum, (void)ErrDes;
    }
    virtual void CheckVariable(const std::string& Name, std::int32_t& ReturnType,
                               std::int32_t& ErrNum, std::string& ErrDes) {
        (void)Name, (void)ReturnType, (void)ErrNum, (void)ErrDes;
    }
    virtual void UserFunction(const std::string& Name, CExpElmStack& Arguments,
                              std::string& Value) {
        (void)Name, (void)Arguments, (void)Value;
    }
    virtual void UserVariable(const std::string& Name, std::string& Value) {
        (void)Name, (void)Value;
    }
};

struct FunctionSettings;  // nemro/functions.h

class NEMRO_API CGNTExpression {
  public:
    explicit CGNTExpression(IExpressionListener* listener = nullptr) : listener_(listener) {}

    void setListener(IExpressionListener* listener) noexcept { listener_ = listener; }
    IExpressionListener* listener() const noexcept { return listener_; }

    // The library, the clock and the registered functions of this object's evaluations
    // and printing (nemro/functions.h); without them calls of names that are not built in
    // go to the listener.
    void setFunctions(const FunctionSettings& Functions);
    const FunctionSettings& functions() const noexcept;

    // Checks and evaluates; never throws. A failure is shown in the message box
    // titled "公式输入有误!" and leaves bSuccess false. Returns the result element
    // (an empty element on failure).
    ExpElement Evaluate(const std::string& Expression, bool* bSuccess = nullptr);

    // Evaluate without its message box: on failure false, with the message Evaluate would
    // show in `diagnostic`.
    bool TryEvaluate(const std::string& Expression, ExpElement& result, Diagnostic& diagnostic);

    CExpElmStack InfixToPostfix(const std::string& Expression) const;
    // Normalised formula text of a postfix stack; ReturnType receives its value type.
    std::string PostfixToInfix(const CExpElmStack& Postfix, std::int32_t& ReturnType);

    static std::string ICase(const std::string& s);
    static bool IsBoolean(const std::string& Operand);
    static bool IsDecimal(const std::string& Operand);
    static bool IsString(const std::string& Operand);
    static std::string StrExp2Val(const std::string& StrExp);
    static std::string StrVal2Exp(const std::string& StrVal);

    // Evaluates a postfix stack to its result element (throws on error).
    ExpElement DoEvaluate(const CExpElmStack& Postfix);

    // The work of Evaluate without its message box: the result element, or the
    // error thrown with the source Evaluate records ("CGNTExpression.Evaluate()\...").
    // For hosts that report formula errors themselves.
    ExpElement EvaluateOrThrow(const std::string& Expression);

  private:
    IExpressionListener* listener_;
    std::shared_ptr<const FunctionSettings> functions_;
};

}  // namespace nemro
