// The engine's error descriptions, in one place: users see them word for word, and
// several stages raise the same one. "%s" stands for the name the message is about.
#pragma once

namespace nemro::detail::msg {

// Reading elements
inline constexpr const char* SeveralPoints = "数值中出现多个小数点。";
inline constexpr const char* OnlyPoint = "数值中只有小数点。";
inline constexpr const char* UnpairedQuote = "期望配对的双引号。";
// Conversion and structure
inline constexpr const char* MissingOperator = "缺乏运算符。";
inline constexpr const char* CommaAfterOperator = "运算符后不能有逗号。";
inline constexpr const char* CommaOutsideFunction = "逗号只能出现在函数内。";
inline constexpr const char* BracketAfterOperator = "运算符后面不能是“)”。";
inline constexpr const char* UnpairedBracket = "期望配对的右括号。";
inline constexpr const char* InvalidUnary = "无效的单目运算符。";
inline constexpr const char* RepeatedOperator = "多重的运算符。";
inline constexpr const char* WrongExpression = "错误的表达式。";
inline constexpr const char* OperandCountMismatch = "操作数与运算符数目不匹配。";
inline constexpr const char* UnaryMinusWithoutOperand = "单目运算符“-”缺乏操作数。";
inline constexpr const char* BinaryWithoutOperand = "双目运算符“%s”缺少操作数。";
inline constexpr const char* InvalidElement = "计算表达式中存在无效的元素。";
inline constexpr const char* EmptyExpression = "空的表达式。";
// Functions and variables
inline constexpr const char* UnknownFunction = "错误的自定义函数“%s”。";
inline constexpr const char* WrongArgumentCount = "函数“%s”的参数个数不正确。";
inline constexpr const char* RequiredArgumentEmpty = "函数“%s”的必选参数不可以为空。";
inline constexpr const char* UnsuitableArgument = "函数“%s”的参数值不合要求。";
inline constexpr const char* UnsupportedFormat = "函数“TEXT”不支持格式“%s”。";
inline constexpr const char* BadVariable = "变量“%s”的返回值无效。";
inline constexpr const char* BadFunctionResult = "函数“%s”的返回值无效。";
inline constexpr const char* NotANumber = "无法将字符串“%s”转化为数值类型。";
inline constexpr const char* NotABoolean = "无法将字符串“%s”转化为 Boolean 类型。";
// Resources
inline constexpr const char* OutOfMemory = "内存不足。";
inline constexpr const char* NoGbkCodePage = "无法打开 GBK 代码页。";

}  // namespace nemro::detail::msg
