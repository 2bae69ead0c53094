#include "repair/change_text.h"

namespace velmora::repair {

std::string describe(ChangeKind kind) {
    switch (kind) {
    case ChangeKind::LineEndForCr: return "radslut som stod för ett ensamt CR";
    case ChangeKind::LineEndForLf: return "radslut som stod för ett ensamt LF";
    case ChangeKind::LineEndForCrLf: return "radslut som stod för CR LF";
    case ChangeKind::LineEndAdded: return "tillagt radslut borttaget";
    case ChangeKind::LineEndForBlank: return "radslut som stod för ett blanksteg";
    case ChangeKind::BlankAdded: return "tillagt blanksteg borttaget";
    case ChangeKind::CharacterAdded: return "tillagt tecken borttaget";
    case ChangeKind::BlankDropped: return "borttappat blanksteg eller tabbtecken insatt";
    case ChangeKind::ControlDropped: return "borttappat styrtecken insatt";
    case ChangeKind::CharacterMissing: return "tecken som saknades i markeringen insatt";
    case ChangeKind::BlankForNoBreak: return "blanksteg som stod för ett hårt blanksteg";
    case ChangeKind::BlankForTab: return "blanksteg som stod för ett tabbtecken";
    case ChangeKind::QuestionMark: return "frågetecken som stod för ett tecken som brevets teckenkodning saknade";
    case ChangeKind::Unreadable: return "oläsligt tecken ersatt";
    }
    return {};
}

}  // namespace velmora::repair
