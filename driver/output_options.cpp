#include "driver/output_options.h"

#include <cstring>

#include "driver/exit_status.h"
#include "driver/log_line.h"
#include "driver/named_options.h"
#include "scanner/scanner_state.h"

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

std::string readOutputForm(OutputForm& form) {
    form = OutputForm();
    bool nlSeen = false;
    bool varSeen = false;
    for (int i = 0; i < namedOptionCount(); ++i) {
        const std::string option = namedOptionAt(i);
        const std::size_t colon = option.find(':');
        const std::string word = lowerCase(option.substr(0, colon));
        const bool hasValue = colon != std::string::npos;
        const std::string value = hasValue ? option.substr(colon + 1) : "";
        if (word == "nl") {
            LineEndConstant constant = LineEndConstant::CrLf;
            if (hasValue && !lineEndConstantNamed(value, constant)) {
                return "Option -nl : constante inconnue \"" + value + "\" (vbCrLf, vbLf, vbCr ou vbNewLine)\n";
            }
            if (!nlSeen) form.lineEnd = constant;
            nlSeen = true;
        } else if (word == "var") {
            if (!isVbIdentifier(value)) {
                return "Option -var : \"" + value +
                       "\" n'est pas un nom de variable (une lettre, puis lettres, chiffres ou _, 255 au plus)\n";
            }
            if (!varSeen) form.variable = value;
            varSeen = true;
        } else if (word == "vba" || word == "chrw") {
            if (hasValue) return "Option -" + word + " : aucune valeur attendue (-" + option + ")\n";
            (word == "vba" ? form.vba : form.chrw) = true;
        }
    }
    return "";
}

void applyOutputOptions() {
    const std::string message = readOutputForm(outputForm);
    if (message.empty()) return;
    logLine("%s", message.c_str());
    exitWith(ExitStatus::CommandLineError);
}
