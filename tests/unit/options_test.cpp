// The command line read into its value: settings, output form, named
// options, file arguments, or the refusal of a mistake before anything is
// opened.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/named_options.h"
#include "driver/options.h"

namespace {

// What a command line reads as, in one line: the request, the settings set,
// the form, the named options and the files; or "refused: TEXT" (with
// "+usage" when the usage text comes with it).
std::string readAs(const std::vector<const char*>& arguments) {
    std::vector<const char*> argv = {"txt2vb"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const OptionsRead read = readOptions(static_cast<int>(argv.size()), argv.data());
    if (read.refusal.failed()) {
        EXPECT_EQ(read.refusal.status, ExitStatus::CommandLineError);
        return std::string(read.withUsage ? "refused+usage: " : "refused: ") + read.refusal.text;
    }
    const Options& o = read.options;
    if (o.request != Options::Request::Convert) return o.request == Options::Request::Usage ? "usage" : "version";
    const RunSettings& s = o.settings;
    std::string text;
    auto flag = [&](int set, const char* name) {
        if (set) text += std::string(name) + " ";
    };
    flag(s.silent, "s");
    flag(s.traceDirs, "d");
    flag(s.verbose, "v");
    flag(s.recursive, "t");
    flag(s.replace, "r");
    flag(s.append, "a");
    flag(s.changeExt, "e");
    flag(s.sizeDelta, "l");
    flag(s.decode, "decode");
    if (!s.newExt.empty()) text += "ext=" + s.newExt + " ";
    if (!s.appendName.empty()) text += "append=" + s.appendName + " ";
    if (o.form.lineEnd != LineEndConstant::None) text += std::string("nl=") + lineEndConstantName(o.form.lineEnd) + " ";
    if (!o.form.variable.empty()) text += "var=" + o.form.variable + " ";
    flag(o.form.vba, "vba");
    flag(o.form.chrw, "chrw");
    for (const std::string& named : o.namedOptions) text += "-" + named + " ";
    for (const std::string& file : o.files) text += "[" + file + "] ";
    return text;
}

TEST(Options, CommandLinesReadAsValuesOrAreRefused) {
    struct Case {
        std::vector<const char*> arguments;
        std::string expected;
    };
    const std::string longAppend = "-a:" + std::string(300, 'n');
    const std::vector<Case> cases = {
        {{}, "usage"},
        {{"-s", "-D", "-t", "-V", "-L", "x"}, "s d t l [x] "},  // -s turns -v off
        {{"-v", "-S"}, "s "},
        {{"-r", "-e:asp", "-E:htm", "x"}, "r e ext=htm [x] "},
        {{"-A:result.txt", "x"}, "a append=result.txt [x] "},
        {{longAppend.c_str()}, "a append=" + std::string(300, 'n') + " "},
        {{"-nbl:20", "-NBF:3", "-nbl:30"}, "-nbl:20 -NBF:3 -nbl:30 "},
        {{"-nl", "-nl:vbLf", "-VAR:Texte", "-var:other", "-vba", "-CHRW", "-Decode"},
         "decode nl=vbCrLf var=Texte vba chrw -nl -nl:vbLf -VAR:Texte -var:other -vba -CHRW -Decode "},
        {{"-nl:VBNEWLINE"}, "nl=vbNewLine -nl:VBNEWLINE "},
        // "--" ends the options; "-" is standard input wherever it stands.
        {{"--", "-r", "-s", "-"}, "[-r] [-s] [-] "},
        {{"-s", "--", "--", "-xy", "--help", "-?"}, "s [--] [-xy] [--help] [-?] "},
        {{"a.txt", "--", "-r"}, "[a.txt] [-r] "},
        // Help and version end the reading where they stand.
        {{"-s", "-r", "-?", "--foo"}, "usage"},
        {{"--help", "-a:x", "-r"}, "usage"},
        {{"--version", "-x"}, "version"},
        // An option nothing reads is refused, naming it.
        {{"-x"}, "refused: Option inconnue : \"-x\" (voir -?)"},
        {{"x", "--foo"}, "refused: Option inconnue : \"--foo\" (voir -?)"},
        {{"-h"}, "refused: Option inconnue : \"-h\" (voir -?)"},
        {{"-vab"}, "refused: Option inconnue : \"-vab\" (voir -?)"},
        {{"-decod"}, "refused: Option inconnue : \"-decod\" (voir -?)"},
        {{"-rt"}, "refused: Option inconnue : \"-rt\" (voir -?)"},
        {{"-r:1"}, "refused: Option inconnue : \"-r:1\" (voir -?)"},
        {{"-nl=vbLf"}, "refused: Option inconnue : \"-nl=vbLf\" (voir -?)"},
        {{"---"}, "refused: Option inconnue : \"---\" (voir -?)"},
        {{"-\x1B]2;x\a"}, "refused: Option inconnue : \"-\\x1B]2;x\\x07\" (voir -?)"},
        // Values.
        {{"-e"}, "refused: Option -e : extension vide (ex: -e:asp)"},
        {{"-e:"}, "refused: Option -e : extension vide (ex: -e:asp)"},
        {{"-a"}, "refused: Option -a : nom de fichier vide (ex: -a:sortie.txt)"},
        {{"-a:"}, "refused: Option -a : nom de fichier vide (ex: -a:sortie.txt)"},
        {{"-E:../x"}, "refused: Extension invalide : \"../x\""},
        {{"-nbl"}, "refused: Option -nbl : \"\" n'est pas un nombre (ex: -nbl:20)"},
        {{"-nbf:x"}, "refused: Option -nbf : \"x\" n'est pas un nombre (ex: -nbf:20)"},
        {{"-nbl:20x"}, "refused: Option -nbl : \"20x\" n'est pas un nombre (ex: -nbl:20)"},
        {{"-nbl:-"}, "refused: Option -nbl : \"-\" n'est pas un nombre (ex: -nbl:20)"},
        {{"-nbl: 20"}, "refused: Option -nbl : \" 20\" n'est pas un nombre (ex: -nbl:20)"},
        {{"-nl:vbTab"}, "refused: Option -nl : constante inconnue \"vbTab\" (vbCrLf, vbLf, vbCr ou vbNewLine)"},
        {{"-nl:\x1B[2J"}, "refused: Option -nl : constante inconnue \"\\x1B[2J\" (vbCrLf, vbLf, vbCr ou vbNewLine)"},
        {{"-var"}, "refused: Option -var : \"\" n'est pas un nom de variable (une lettre, puis lettres, chiffres ou _, "
                   "255 au plus)"},
        {{"-var:ok", "-var:1a"}, "refused: Option -var : \"1a\" n'est pas un nom de variable (une lettre, puis "
                                 "lettres, chiffres ou _, 255 au plus)"},
        {{"-var:\x1B]2;owned\a"}, "refused: Option -var : \"\\x1B]2;owned\\x07\" n'est pas un nom de variable (une "
                                  "lettre, puis lettres, chiffres ou _, 255 au plus)"},
        {{"-vba:1"}, "refused: Option -vba : aucune valeur attendue (-vba:1)"},
        {{"-chrw:"}, "refused: Option -chrw : aucune valeur attendue (-chrw:)"},
        // Between the options.
        {{"-a:x", "-r", "y"}, "refused+usage: Les options -a et -r ne vont pas ensemble"},
        {{"-r", "x", "-"}, "refused: Entr\xC3\xA9" "e standard (-) impossible avec -r"},
        {{"\\"}, "refused: Sp\xC3\xA9" "cification de fichier sans nom : \"\\\""},
        {{""}, "refused: Sp\xC3\xA9" "cification de fichier sans nom : \"\""},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const char* argument : c.arguments) shown += std::string(" ") + argument;
        EXPECT_EQ(readAs(c.arguments), c.expected) << shown;
    }
}

// A variable VB reserves, or that the output uses itself, would make a
// statement the tool's own decoder refuses.
TEST(Options, ReservedVariableNamesAreRefused) {
    for (const char* name : {"vbCrLf", "VBLF", "ChrW", "chr", "Rem", "Dim", "End", "vbNullChar", "String"}) {
        const std::string option = std::string("-var:") + name;
        EXPECT_EQ(readAs({option.c_str()}),
                  std::string("refused: Option -var : \"") + name + "\" est un nom r\xC3\xA9serv\xC3\xA9 de VB ou de la sortie")
            << name;
    }
    for (const char* name : {"s", "Remark", "vbText", "Chrw1", "Dimension"}) {
        const std::string option = std::string("-var:") + name;
        EXPECT_EQ(readAs({option.c_str()}),
                  std::string("var=") + name + " -var:" + name + " ") << name;
    }
}

// A new extension must keep the new name one name of the input's directory.
TEST(Options, ExtensionsThatLeaveTheDirectoryAreUnsafe) {
    const std::vector<std::pair<const char*, bool>> cases = {
        {"asp", true},  {"a.b", true},     {".asp", true},   {"tar.gz", true}, {"..asp", true}, {"/x", false},
        {"c:", false},  {"..\\x", false},  {"x:s", false},   {"..", false},    {".", false},    {"a/", false},
    };
    for (const auto& c : cases) EXPECT_EQ(isSafeExtension(c.first), c.second) << c.first;
}

TEST(NamedOptions, LookupsUpperCaseWhatTheyVisit) {
    NamedOptionList options({"nbl:20", "name:abc"});
    EXPECT_STREQ(options.namedOptionValue("nbl:"), "20");
    EXPECT_STREQ(options.namedOptionValue("nbl"), ":20");
    EXPECT_STREQ(options.namedOptionValue("name:"), "ABC") << "values come back upper-cased";
    EXPECT_STREQ(options.namedOptionValue("zz"), "");
    EXPECT_STREQ(options.namedOptionValue(nullptr), "");
    EXPECT_STREQ(options.findNamedOption("", 0), "NBL:20") << "an empty key matches the first option";
    EXPECT_EQ(options.hasNamedOptionExact("nbl:"), 0);
    EXPECT_EQ(options.hasNamedOptionExact("NBL:"), 1);
    EXPECT_EQ(options.hasNamedOptionAnyCase("nbl:"), 1);

    NamedOptionList firstWins({"NBL:20", "nbl:30", "nb", "abd"});
    EXPECT_STREQ(firstWins.namedOptionValue("nbl:"), "20");
    EXPECT_STREQ(firstWins.findNamedOption("abd", 0), "abd") << "only options up to the first match change";
    NamedOptionList shorter({"nb"});
    EXPECT_STREQ(shorter.namedOptionValue("nbl:"), "");
    NamedOptionList long_({"key:" + std::string(5000, 'v')});
    EXPECT_EQ(std::string(long_.namedOptionValue("key:")), std::string(5000, 'V'));
}

}  // namespace
