#include "nemro/error.h"

namespace nemro {

const char* platformDescription(std::int32_t number) noexcept {
    switch (number) {
        case err::InvalidArgument:
            return "无效的过程调用或参数。";
        case err::Overflow:
            return "溢出。";
        case err::SubscriptOutOfRange:
            return "下标越界。";
        case err::DivisionByZero:
            return "除数为零。";
        case err::TypeMismatch:
            return "类型不匹配。";
        case err::ObjectNotSet:
            return "对象变量或 With 块变量未设置。";
        case err::InvalidPropertyValue:
            return "无效的属性值。";
        case err::NoSuchMember:
            return "对象不支持该属性或方法。";
        default:
            return "";
    }
}

void raisePlatform(std::int32_t number, std::string source) {
    throw NemroError(number, std::move(source), platformDescription(number));
}

}  // namespace nemro
