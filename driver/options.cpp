#include "driver/options.h"

#include <cstring>

#include "driver/file_sets.h"
#include "driver/shown_name.h"
#include "platform/console.h"
#include "platform/names.h"

namespace {

std::string quoted(const std::string& value) { return "\"" + shownName(value) + "\""; }

Failure refused(std::string text) { return textFailure(std::move(text), ExitStatus::CommandLineError); }

// A whole number, sign allowed, nothing after it: "20x" is a mistake, not 20.
bool isWholeNumber(const std::string& value) {
    const std::size_t first = !value.empty() && (value[0] == '+' || value[0] == '-') ? 1 : 0;
    return first < value.size() && value.find_first_not_of("0123456789", first) == std::string::npos;
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = platform::lowerAscii(c);
    return text;
}

class Reader {
public:
    explicit Reader(OptionsRead& read) : read_(read), options_(read.options) {}

    // False once the reading ends: a refusal, or a request that ends it.
    bool option(const std::string& argument) {
        if (argument == "--help") return request(Options::Request::Usage);
        if (argument == "--version") return request(Options::Request::Version);
        const std::string text = argument.substr(1);
        if (text.size() == 1) return letter(argument, text[0], nullptr);
        if (text.size() >= 2 && text[1] == ':' && std::strchr("aAeE", text[0]) != nullptr) {
            const std::string value = text.substr(2);
            return letter(argument, text[0], &value);
        }
        return named(argument, text);
    }

    bool fileArgument(const std::string& argument) {
        if (!isStandardInputArgument(argument)) {
            std::string dir;
            std::string pattern;
            splitFileSpec(argument, dir, pattern);
            if (pattern.empty())
                return refuse("Sp" TXT2VB_E_ACUTE "cification de fichier sans nom : " + quoted(argument));
        }
        options_.files.push_back(argument);
        return true;
    }

    // The rules between the options, once they are all read.
    void finish() {
        RunSettings& settings = options_.settings;
        if (settings.append && settings.replace) {
            read_.withUsage = true;
            refuse("Les options -a et -r ne vont pas ensemble");
            return;
        }
        if (settings.replace) {
            for (const std::string& file : options_.files) {
                if (isStandardInputArgument(file)) {
                    refuse("Entr" TXT2VB_E_ACUTE "e standard (-) impossible avec -r");
                    return;
                }
            }
        }
        if (settings.silent) settings.verbose = 0;
    }

private:
    bool request(Options::Request request) {
        options_.request = request;
        return false;
    }

    bool refuse(std::string text) {
        read_.refusal = refused(std::move(text));
        return false;
    }

    bool unknown(const std::string& argument) { return refuse("Option inconnue : " + quoted(argument) + " (voir -?)"); }

    bool letter(const std::string& argument, char letter, const std::string* value) {
        RunSettings& settings = options_.settings;
        switch (platform::lowerAscii(letter)) {
            case '?':
                return request(Options::Request::Usage);
            case 'a':
                if (value == nullptr || value->empty())
                    return refuse("Option -a : nom de fichier vide (ex: -a:sortie.txt)");
                settings.append = 1;
                settings.appendName = *value;
                return true;
            case 'e':
                if (value == nullptr || value->empty()) return refuse("Option -e : extension vide (ex: -e:asp)");
                if (!isSafeExtension(*value)) return refuse("Extension invalide : " + quoted(*value));
                settings.changeExt = 1;
                settings.newExt = *value;
                return true;
            case 'd':
                settings.traceDirs = 1;
                return true;
            case 'l':
                settings.sizeDelta = 1;
                return true;
            case 'r':
                settings.replace = 1;
                return true;
            case 's':
                settings.silent = 1;
                return true;
            case 't':
                settings.recursive = 1;
                return true;
            case 'v':
                settings.verbose = 1;
                return true;
            default:
                return unknown(argument);
        }
    }

    // The words the tool reads, in any case: the framework's nbl and nbf,
    // and the output's nl, var, vba, chrw and decode. The first -nl and the
    // first -var give the values; every one is checked.
    bool named(const std::string& argument, const std::string& text) {
        const std::size_t colon = text.find(':');
        const std::string word = lowerCase(text.substr(0, colon));
        const bool hasValue = colon != std::string::npos;
        const std::string value = hasValue ? text.substr(colon + 1) : "";
        OutputForm& form = options_.form;
        if (word == "nbl" || word == "nbf") {
            if (!isWholeNumber(value)) {
                return refuse("Option -" + word + " : " + quoted(value) + " n'est pas un nombre (ex: -" + word +
                              ":20)");
            }
        } else if (word == "nl") {
            LineEndConstant constant = LineEndConstant::CrLf;
            if (hasValue && !lineEndConstantNamed(value, constant)) {
                return refuse("Option -nl : constante inconnue " + quoted(value) +
                              " (vbCrLf, vbLf, vbCr ou vbNewLine)");
            }
            if (!nlSeen_) form.lineEnd = constant;
            nlSeen_ = true;
        } else if (word == "var") {
            if (!isVbIdentifier(value)) {
                return refuse("Option -var : " + quoted(value) +
                              " n'est pas un nom de variable (une lettre, puis lettres, chiffres ou _, 255 au plus)");
            }
            if (isReservedVbName(value)) {
                return refuse("Option -var : " + quoted(value) +
                              " est un nom r" TXT2VB_E_ACUTE "serv" TXT2VB_E_ACUTE " de VB ou de la sortie");
            }
            if (!varSeen_) form.variable = value;
            varSeen_ = true;
        } else if (word == "vba" || word == "chrw" || word == "decode") {
            if (hasValue) return refuse("Option -" + word + " : aucune valeur attendue (" + shownName(argument) + ")");
            if (word == "vba") form.vba = true;
            if (word == "chrw") form.chrw = true;
            if (word == "decode") options_.settings.decode = 1;
        } else {
            return unknown(argument);
        }
        options_.namedOptions.push_back(text);
        return true;
    }

    OptionsRead& read_;
    Options& options_;
    bool nlSeen_ = false;
    bool varSeen_ = false;
};

}  // namespace

bool isSafeExtension(const std::string& value) {
    if (value.find_first_of("/\\:") != std::string::npos) return false;
    return value.empty() || value.find_first_not_of('.') != std::string::npos;
}

bool isStandardInputArgument(const std::string& argument) { return argument == "-"; }

OptionsRead readOptions(int argc, const char* const* argv) {
    OptionsRead read;
    Options& options = read.options;
    options.progPath = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    if (argc < 2) {
        options.request = Options::Request::Usage;
        return read;
    }
    Reader reader(read);
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        bool goOn;
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && !isStandardInputArgument(argument) && !argument.empty() &&
            platform::isOptionPrefix(argument[0])) {
            goOn = reader.option(argument);
        } else {
            goOn = reader.fileArgument(argument);
        }
        if (!goOn) return read;
    }
    reader.finish();
    return read;
}
