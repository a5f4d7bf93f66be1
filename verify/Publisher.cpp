// The pinned publisher of one executable, from the definition its build gives this file.
#include "verify/Publisher.h"

#ifndef TALLYVO_PUBLISHER
#error TALLYVO_PUBLISHER must name the required publisher as a wide string literal, L"" when none is required
#endif

const std::wstring& RequiredPublisher() {
    static const std::wstring publisher = TALLYVO_PUBLISHER;
    return publisher;
}
