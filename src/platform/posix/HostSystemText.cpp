// Description files as far2l reads them: UTF-8 after a byte-order mark, otherwise the OEM code
// page of the locale. Files this plug-in wrote before it marked them are UTF-8 without a mark, so a
// line that is valid UTF-8 is kept as it stands; only the other lines are decoded.
#include "platform/posix/HostSystemText.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/HostSystem.hpp"

namespace velmora::host {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr unsigned kDefaultOemCodePage = 866;

struct CodePageLocales {
    unsigned codePage;
    const char* locales;  // language_TERRITORY names, separated by blanks
};

// The OEM code pages far2l assigns to the locales it knows; every other locale gets 866.
constexpr CodePageLocales kOemCodePages[] = {
    {850,
     "af_ZA ast_ES br_FR ca_ES cy_GB da_DK de_AT de_CH de_DE de_LI de_LU en_AU en_BZ en_CA en_GB "
     "en_IE en_JM en_NZ en_TT es_AR es_BO es_CL es_CO es_CR es_DO es_EC es_ES es_GT es_HN es_MX "
     "es_NI es_PA es_PE es_PR es_PY es_SV es_UY es_VE eu_ES fi_FI fo_FO fr_BE fr_CA fr_CH fr_FR "
     "fr_LU fr_MC gd_GB gl_ES gv_IM id_ID is_IS it_CH it_IT kw_GB ms_BN ms_MY nb_NO nl_BE nl_NL "
     "nl_SR nn_NO pt_BR pt_PT rm_CH sv_FI sv_SE wa_BE"},
    {437, "en_PH en_US en_ZA en_ZW ga_IE iv_IV sw_KE"},
    {852, "cs_CZ hr_HR hu_HU pl_PL ro_RO sk_SK sl_SI sq_AL"},
    {855, "sr_RS"},
    {775, "et_EE lt_LT lv_LV"},
    {737, "el_GR"},
    {857, "tr_TR"},
    {862, "he_IL"},
    {720,
     "ar_AE ar_BH ar_DZ ar_EG ar_IQ ar_JO ar_KW ar_LB ar_LY ar_MA ar_OM ar_QA ar_SA ar_SY ar_TN "
     "ar_YE fa_IR ur_PK"},
    {874, "th_TH"},
    {1258, "vi_VN"},
    {932, "ja_JP"},
    {949, "ko_KR"},
    {936, "zh_CN zh_SG"},
    {950, "zh_HK zh_MO zh_TW"},
    // The default, listed so that the table says where the Cyrillic locales belong.
    {866, "az_AZ be_BY bg_BG kk_KZ ky_KG mk_MK mn_MN ru_RU tt_RU uk_UA uz_UZ"},
};

// True when `word` is one of the blank-separated words of `list`.
bool IsListed(std::string_view list, std::string_view word) {
    while (!list.empty()) {
        const std::size_t blank = list.find(' ');
        if (list.substr(0, blank) == word)
            return true;
        list.remove_prefix(blank == std::string_view::npos ? list.size() : blank + 1);
    }
    return false;
}

// Length of the well-formed UTF-8 sequence that starts at text[pos], 0 when there is none.
std::size_t SequenceLength(std::string_view text, std::size_t pos) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(pos);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;   // the bounds of the second byte, narrower after some leads
    unsigned char high = 0xBF;  // (overlong forms, surrogates, past U+10FFFF)
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (text.size() - pos < length || at(pos + 1) < low || at(pos + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((at(pos + i) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

// An iconv descriptor from one code page to UTF-8, closed when it goes away.
class ToUtf8 {
public:
    explicit ToUtf8(unsigned codePage)
        : descriptor_(::iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str())) {}
    ~ToUtf8() {
        if (IsOpen())
            ::iconv_close(descriptor_);
    }
    ToUtf8(const ToUtf8&) = delete;
    ToUtf8& operator=(const ToUtf8&) = delete;

    bool IsOpen() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Appends the bytes decoded to *out. A byte the code page cannot map, and an incomplete
    // multibyte character at the end, are copied as they are, so no line loses anything.
    void Append(std::string_view bytes, std::string* out) {
        // iconv's interface is not const-correct; it only reads the input.
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            if (Convert(&in, &inLeft, out))
                break;
            if (errno == E2BIG)
                continue;
            Flush(out);
            // EILSEQ: one byte it cannot map; EINVAL: a character cut off by the end.
            const std::size_t kept = errno == EINVAL ? inLeft : 1;
            out->append(in, kept);
            in += kept;
            inLeft -= kept;
        }
        Flush(out);
    }

private:
    // One iconv call with room for every byte's output; false (errno set) when it stopped early.
    // Null input writes out what the descriptor holds back and returns it to its initial state.
    bool Convert(char** in, std::size_t* inLeft, std::string* out) {
        const std::size_t used = out->size();
        // No code page here makes more than a few bytes of UTF-8 from one byte; E2BIG, should it
        // come, only means another round.
        const std::size_t room = (in ? *inLeft : 0) * 4 + 32;
        out->resize(used + room);
        char* to = &(*out)[used];
        std::size_t toLeft = room;
        const std::size_t result = ::iconv(descriptor_, in, inLeft, &to, &toLeft);
        const int error = errno;
        out->resize(used + room - toLeft);
        errno = error;
        return result != static_cast<std::size_t>(-1);
    }

    void Flush(std::string* out) {
        const int saved = errno;
        (void)Convert(nullptr, nullptr, out);
        errno = saved;
    }

    iconv_t descriptor_;
};

}  // namespace

bool IsUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // Most description text is ASCII: eight bytes at a time until a byte above 0x7F.
        if (bytes.size() - pos >= 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + pos, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                pos += 8;
                continue;
            }
        }
        const std::size_t length = SequenceLength(bytes, pos);
        if (length == 0)
            return false;
        pos += length;
    }
    return true;
}

std::string TextLocale() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "C";
}

unsigned OemCodePageOfLocale(std::string_view locale) {
    // far2l compares the part before the code set; anything else after the territory is no match.
    const std::string_view territory = locale.substr(0, locale.find('.'));
    if (territory.empty())
        return kDefaultOemCodePage;
    for (const CodePageLocales& entry : kOemCodePages) {
        if (IsListed(entry.locales, territory))
            return entry.codePage;
    }
    return kDefaultOemCodePage;
}

std::string_view DecodeDescriptionText(std::string_view bytes, unsigned oemCodePage, std::string* converted) {
    // A file marked twice (a tool that marks what it saves, over a marked file) loses every mark,
    // or the first name would begin with one.
    bool marked = false;
    while (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        bytes.remove_prefix(kUtf8Mark.size());
        marked = true;
    }
    if (marked || IsUtf8(bytes))
        return bytes;
    ToUtf8 decoder(oemCodePage);
    if (!decoder.IsOpen())
        return bytes;
    converted->clear();
    converted->reserve(bytes.size() * 2);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        std::size_t end = bytes.find('\n', pos);
        end = end == std::string_view::npos ? bytes.size() : end + 1;
        const std::string_view line = bytes.substr(pos, end - pos);
        if (IsUtf8(line))
            converted->append(line);
        else
            decoder.Append(line, converted);
        pos = end;
    }
    return *converted;
}

std::string_view DescriptionText(std::string_view bytes, std::string* converted) {
    return DecodeDescriptionText(bytes, OemCodePageOfLocale(TextLocale()), converted);
}

}  // namespace velmora::host
