// Code pages through iconv, and the OEM code page far2l takes from the locale.
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/CodePage.hpp"
#include "platform/posix/PosixCodePage.hpp"

namespace velmora {
namespace {

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

// An iconv descriptor, closed when it goes away.
class Converter {
public:
    Converter(const char* to, const char* from) : descriptor_(::iconv_open(to, from)) {}
    ~Converter() {
        if (IsOpen())
            ::iconv_close(descriptor_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return descriptor_ != reinterpret_cast<iconv_t>(-1); }

    // Appends the bytes converted to *out; false when some character cannot be converted.
    bool Whole(std::string_view bytes, std::string* out) {
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            if (Convert(&in, &inLeft, out))
                break;
            if (errno != E2BIG) {
                Flush(out);
                return false;
            }
        }
        Flush(out);
        return true;
    }

    // Appends the bytes converted to *out. A byte the code page cannot map, and an incomplete
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
            // EILSEQ: one byte it cannot map; EINVAL: a character cut off by the end. Some
            // converters (UHC, code page 949) report EILSEQ having taken the last bytes already:
            // nothing is left to copy then, and stepping on would run past the input.
            if (inLeft == 0)
                break;
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

class IconvCodePage final : public CodePage {
public:
    explicit IconvCodePage(unsigned codePage)
        : name_("CP" + std::to_string(codePage)),
          toUtf8_("UTF-8", name_.c_str()),
          fromUtf8_(name_.c_str(), "UTF-8") {}
    bool IsOpen() const { return toUtf8_.IsOpen() && fromUtf8_.IsOpen(); }

    bool Encode(std::string_view utf8, std::string* bytes) const override {
        bytes->clear();
        if (!fromUtf8_.Whole(utf8, bytes)) {
            bytes->clear();
            return false;
        }
        return true;
    }
    void Decode(std::string_view bytes, std::string* utf8) const override { toUtf8_.Append(bytes, utf8); }

private:
    std::string name_;
    // iconv keeps a state between calls, which every call leaves at its start again.
    mutable Converter toUtf8_;
    mutable Converter fromUtf8_;
};

}  // namespace

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

std::unique_ptr<CodePage> OpenCodePage(unsigned codePage) {
    auto page = std::make_unique<IconvCodePage>(codePage);
    if (!page->IsOpen())
        return nullptr;
    return page;
}

unsigned SystemOemCodePage() {
    return OemCodePageOfLocale(TextLocale());
}

}  // namespace velmora
