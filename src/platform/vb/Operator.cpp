#include "platform/vb/Operator.h"

#include "platform/vb/ScreenOperator.h"

namespace vb {
namespace {

Operator*& installed()
{
    static Operator* op = nullptr;
    return op;
}

} // namespace

Operator& currentOperator()
{
    static ScreenOperator screen;
    Operator* op = installed();
    return op ? *op : screen;
}

Operator* setOperator(Operator* op)
{
    Operator* previous = installed();
    installed() = op;
    return previous;
}

} // namespace vb
