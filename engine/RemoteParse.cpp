#include "engine/RemoteParse.h"

#include "engine/ParseAhead.h"

#include <bit>

namespace brisk {
namespace {

StoreError damaged()
{
    return StoreError("damaged bytes on the line to a parser process");
}

// Little-endian fields: a byte, a 64-bit number, a string as its length and
// bytes. Both ends are this program, but a reader never trusts a length.
class Writer {
public:
    void byte(std::uint8_t b) { m_out.push_back(static_cast<char>(b)); }
    void number(std::uint64_t n)
    {
        for (int i = 0; i < 8; ++i)
            byte(static_cast<std::uint8_t>(n >> (8 * i)));
    }
    void real(double d) { number(std::bit_cast<std::uint64_t>(d)); }
    void text(std::string_view s)
    {
        number(s.size());
        m_out.append(s);
    }
    void texts(const std::vector<std::string>& list)
    {
        number(list.size());
        for (const std::string& s : list)
            text(s);
    }
    std::string take() { return std::move(m_out); }

private:
    std::string m_out;
};

class Reader {
public:
    explicit Reader(std::string_view in) : m_in(in) {}
    std::uint8_t byte()
    {
        need(1);
        const auto b = static_cast<std::uint8_t>(m_in.front());
        m_in.remove_prefix(1);
        return b;
    }
    std::uint64_t number()
    {
        need(8);
        std::uint64_t n = 0;
        for (int i = 0; i < 8; ++i)
            n |= std::uint64_t(static_cast<std::uint8_t>(m_in[i])) << (8 * i);
        m_in.remove_prefix(8);
        return n;
    }
    double real() { return std::bit_cast<double>(number()); }
    std::string text()
    {
        const std::uint64_t size = number();
        need(size);
        std::string s(m_in.substr(0, size));
        m_in.remove_prefix(size);
        return s;
    }
    std::vector<std::string> texts()
    {
        const std::uint64_t count = number();
        // Every string takes at least its length's 8 bytes.
        need(count > m_in.size() / 8 ? m_in.size() + 1 : 0);
        std::vector<std::string> list;
        list.reserve(count);
        for (std::uint64_t i = 0; i < count; ++i)
            list.push_back(text());
        return list;
    }
    void end() const { need(0, true); }

private:
    void need(std::uint64_t bytes, bool exact = false) const
    {
        if (bytes > m_in.size() || (exact && m_in.size() != bytes))
            throw damaged();
    }
    std::string_view m_in;
};

constexpr std::uint8_t kRequestTag = 'Q';
constexpr std::uint8_t kReplyTag = 'A';
enum class Facts : std::uint8_t { NotMeasured, Failed, Measured };

// A value as the item gave it, or the message of the error it raised.
template <typename T>
struct Answer {
    T value{};
    std::optional<std::string> error;

    const T& get() const
    {
        if (error)
            throw StoreError(*error);
        return value;
    }
};

template <typename Read, typename Put>
void writeAnswer(Writer& out, Read&& read, Put&& put)
{
    try {
        auto value = read();
        out.byte(1);
        put(value);
    } catch (const std::exception& e) {
        out.byte(0);
        out.text(e.what());
    }
}

template <typename T, typename Get>
Answer<T> readAnswer(Reader& in, Get&& get)
{
    Answer<T> answer;
    if (in.byte() == 1)
        answer.value = get();
    else
        answer.error = in.text();
    return answer;
}

void writeOptionalDate(Writer& out, const std::optional<DateValue>& date)
{
    out.byte(date ? 1 : 0);
    if (date)
        out.real(*date);
}

std::optional<DateValue> readOptionalDate(Reader& in)
{
    if (in.byte() == 0)
        return std::nullopt;
    return in.real();
}

void writeFacts(Writer& out, ParsedItem& parsed)
{
    try {
        const std::optional<BodyFacts> facts = parsed.measuredFacts();
        if (!facts) {
            out.byte(static_cast<std::uint8_t>(Facts::NotMeasured));
            return;
        }
        out.byte(static_cast<std::uint8_t>(Facts::Measured));
        out.byte(facts->empty ? 1 : 0);
        writeOptionalDate(out, facts->quotedSent);
        out.byte(facts->attribution ? 1 : 0);
        if (facts->attribution) {
            out.number(facts->attribution->offset);
            writeOptionalDate(out, facts->attribution->sent);
        }
        out.number(static_cast<std::uint64_t>(facts->ownWords));
        out.number(static_cast<std::uint64_t>(facts->ownUtf16Length));
    } catch (const std::exception& e) {
        out.byte(static_cast<std::uint8_t>(Facts::Failed));
        out.text(e.what());
    }
}

// The item a parser process read: its answers, and the store's item for the
// body text, which is read here only if something asks for it.
class RemoteItem final : public MeasuredItem {
public:
    RemoteItem(Reader& in, const DateLocale& locale) : m_locale(locale)
    {
        const auto text = [&] { return in.text(); };
        const auto texts = [&] { return in.texts(); };
        m_typeName = readAnswer<std::string>(in, text);
        m_receivedTime = readAnswer<double>(in, [&] { return in.real(); });
        m_subject = readAnswer<std::string>(in, text);
        m_size = readAnswer<std::int64_t>(in, [&] { return static_cast<std::int64_t>(in.number()); });
        m_attachments = readAnswer<int>(in, [&] { return static_cast<int>(in.number()); });
        m_recipients = readAnswer<std::vector<std::string>>(in, texts);
        m_senderName = readAnswer<std::string>(in, text);
        m_messageId = readAnswer<std::string>(in, text);
        m_inReplyTo = readAnswer<std::vector<std::string>>(in, texts);
        m_references = readAnswer<std::vector<std::string>>(in, texts);
        readFacts(in);
        in.end();
    }

    void setOriginal(std::unique_ptr<MailItem> original) { m_original = std::move(original); }

    BodyFacts bodyFacts() override { return m_body.facts(*m_original, m_locale); }
    const std::string& typeName() override { return m_typeName.get(); }
    double receivedTime() override { return m_receivedTime.get(); }
    const std::string& subject() override { return m_subject.get(); }
    const std::string& body() override { return m_original->body(); }
    void readBody(const BodyChunkSink& chunk) override { m_original->readBody(chunk); }
    std::int64_t size() override { return m_size.get(); }
    int attachmentCount() override { return m_attachments.get(); }
    const std::vector<std::string>& recipients() override { return m_recipients.get(); }
    const std::string& senderName() override { return m_senderName.get(); }
    std::string messageId() override { return m_messageId.get(); }
    std::vector<std::string> inReplyTo() override { return m_inReplyTo.get(); }
    std::vector<std::string> references() override { return m_references.get(); }

private:
    void readFacts(Reader& in)
    {
        const auto state = static_cast<Facts>(in.byte());
        if (state == Facts::Failed) {
            m_body.fail(std::make_exception_ptr(StoreError(in.text())));
        } else if (state == Facts::Measured) {
            BodyFacts facts;
            facts.empty = in.byte() == 1;
            facts.quotedSent = readOptionalDate(in);
            if (in.byte() == 1) {
                Attribution attribution;
                attribution.offset = static_cast<std::size_t>(in.number());
                attribution.sent = readOptionalDate(in);
                facts.attribution = attribution;
            }
            facts.ownWords = static_cast<std::int64_t>(in.number());
            facts.ownUtf16Length = static_cast<std::int64_t>(in.number());
            m_body.set(facts);
        } else if (state != Facts::NotMeasured) {
            throw damaged();
        }
    }

    std::unique_ptr<MailItem> m_original;
    const DateLocale& m_locale;
    Answer<std::string> m_typeName;
    Answer<double> m_receivedTime;
    Answer<std::string> m_subject;
    Answer<std::int64_t> m_size;
    Answer<int> m_attachments;
    Answer<std::vector<std::string>> m_recipients;
    Answer<std::string> m_senderName;
    Answer<std::string> m_messageId;
    Answer<std::vector<std::string>> m_inReplyTo;
    Answer<std::vector<std::string>> m_references;
    BodyMeasure m_body;
};

} // namespace

std::string encodeRequest(const ParseRequest& request)
{
    Writer out;
    out.byte(kRequestTag);
    out.text(request.recipe);
    out.byte(request.order == DateOrder::MonthFirst ? 1 : 0);
    out.text(request.zone);
    return out.take();
}

ParseRequest decodeRequest(std::string_view bytes)
{
    Reader in(bytes);
    if (in.byte() != kRequestTag)
        throw StoreError("not a parse request");
    ParseRequest request;
    request.recipe = in.text();
    request.order = in.byte() == 1 ? DateOrder::MonthFirst : DateOrder::DayFirst;
    request.zone = in.text();
    in.end();
    return request;
}

std::string encodeReply(std::unique_ptr<MailItem> item, const DateLocale& locale)
{
    ParsedItem parsed(std::move(item), locale);
    Writer out;
    out.byte(kReplyTag);
    const auto text = [&](const std::string& s) { out.text(s); };
    const auto texts = [&](const std::vector<std::string>& list) { out.texts(list); };
    writeAnswer(out, [&] { return parsed.typeName(); }, text);
    writeAnswer(out, [&] { return parsed.receivedTime(); }, [&](double d) { out.real(d); });
    writeAnswer(out, [&] { return parsed.subject(); }, text);
    writeAnswer(out, [&] { return parsed.size(); }, [&](std::int64_t n) { out.number(static_cast<std::uint64_t>(n)); });
    writeAnswer(out, [&] { return parsed.attachmentCount(); }, [&](int n) { out.number(static_cast<std::uint64_t>(n)); });
    writeAnswer(out, [&] { return parsed.recipients(); }, texts);
    writeAnswer(out, [&] { return parsed.senderName(); }, text);
    writeAnswer(out, [&] { return parsed.messageId(); }, text);
    writeAnswer(out, [&] { return parsed.inReplyTo(); }, texts);
    writeAnswer(out, [&] { return parsed.references(); }, texts);
    writeFacts(out, parsed);
    return out.take();
}

std::unique_ptr<MailItem> decodeReply(std::string_view bytes, std::unique_ptr<MailItem>& original,
                                      const DateLocale& locale)
{
    Reader in(bytes);
    if (in.byte() != kReplyTag)
        throw damaged();
    auto item = std::make_unique<RemoteItem>(in, locale);
    item->setOriginal(std::move(original));
    return item;
}

} // namespace brisk
