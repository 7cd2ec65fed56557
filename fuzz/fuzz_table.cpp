// libFuzzer over the table server's input: the bytes of a message through the decoder, and a
// script of messages from several connections through one table (see TableHarness.h), with
// what each client receives checked as it arrives.
#include "TableHarness.h"

using namespace korvane::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto decoded = Decode(QByteArrayView(data, static_cast<qsizetype>(size)));
    if (const Message* m = std::get_if<Message>(&decoded))
        fuzz::Require(!TypeName(m->type).isEmpty(), "a decoded message has a type");
    else
        fuzz::Require(!std::get<DecodeError>(decoded).text.isEmpty(), "a refusal says why");

    fuzz::TableHarness harness(1);
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        if (end == std::string_view::npos)
            end = script.size();
        harness.Line(script.substr(start, end - start));
        start = end + 1;
    }
    return 0;
}
