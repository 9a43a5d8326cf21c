// The register reference written from the engine-configuration description.
#include "knowledge/cfgreference.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/cinteger.h"
#include "base/messagecatalog.h"
#include "base/texthelpers.h"
#include "knowledge/cfgdesc.h"
#include "knowledge/kbtext.h"

namespace {

constexpr std::string_view kMemberPrefix = "STRUCT.MEMB";

std::string Escape(std::string_view text) { return EscapeMarkdown(text); }

// Pieces joined; "text" + std::string trips a false alarm of GCC 12's -Wrestrict.
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string out;
  for (std::string_view piece : pieces)
    out.append(piece);
  return out;
}

// Markdown readers differ on a "|" inside code in a table; as plain text it is safe.
std::string Code(std::string_view text) {
  if (text.find_first_of("`|") != std::string_view::npos)
    return Escape(text);
  return Join({"`", text, "`"});
}

std::string Emphasis(std::string_view text) { return Join({"*", Escape(text), "*"}); }

// "Global time base:" as a title.
std::string Title(std::string_view comment) {
  std::string title = Trim(comment);
  while (!title.empty() && title.back() == ':')
    title.pop_back();
  return Trim(title);
}

std::string JoinWords(const std::vector<std::string>& words) {
  std::string out;
  for (std::size_t i = 0; i < words.size(); ++i) {
    if (i > 0)
      out += i + 1 == words.size() ? " and " : ", ";
    out += words[i];
  }
  return out;
}

struct CField {
  std::string section;
  bool kivo2Only = false;
};

struct CGroup {
  std::string section;
  std::string comment;
  std::string member;  // the member's number for STRUCT.MEMB<n>, else empty
  std::vector<CField> fields;
};

// Every section with bit fields, in the file's order. The first missing
// "bitfield<n>" ends a group's list; "kivo2only" is the first Kivo2-only index.
std::vector<CGroup> ReadGroups(const CKivoCfgDesc& desc) {
  std::vector<CGroup> groups;
  for (const auto& section : desc.Sections()) {
    if (section->GetValue("bitfield0").empty())
      continue;
    CGroup group{section->name, section->GetValue("comment"), {}, {}};
    if (section->name.starts_with(kMemberPrefix))
      group.member = section->name.substr(kMemberPrefix.size());
    int32_t firstKivo2 = INT32_MAX;
    if (!ReadCInteger32(section->GetValue("kivo2only"), firstKivo2))
      firstKivo2 = INT32_MAX;
    for (int32_t i = 0;; ++i) {
      std::string field = section->GetValue("bitfield" + std::to_string(i));
      if (field.empty())
        break;
      group.fields.push_back({Trim(field), i >= firstKivo2});
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

std::string GroupName(const CGroup& group) {
  return group.member.empty() ? Code(group.section) : "member " + group.member;
}

struct CCombination {
  std::vector<std::string> fields;
  std::vector<std::string> members;  // the member sections, one per field
};

// "COMBINED_VALUES": combination<n>_types names the fields (and the section of
// the combined values), combination<n>_links the members that hold them.
std::vector<std::pair<std::string, CCombination>> ReadCombinations(const CKivoCfgDesc& desc) {
  std::vector<std::pair<std::string, CCombination>> combinations;
  const CIniSection* section = desc.FindSection("COMBINED_VALUES");
  if (!section)
    return combinations;
  for (int n = 0;; ++n) {
    std::string key = "combination" + std::to_string(n);
    std::string types = section->GetValue(key + "_types");
    std::string links = section->GetValue(key + "_links");
    if (types.empty() || links.empty())
      break;
    auto found = std::find_if(combinations.begin(), combinations.end(),
                              [&](const auto& entry) { return entry.first == types; });
    if (found == combinations.end()) {
      combinations.emplace_back(types, CCombination{});
      found = std::prev(combinations.end());
      for (const std::string& field : SplitAny(types, ","))
        found->second.fields.push_back(Trim(field));
    }
    CCombination& combination = found->second;
    for (const std::string& member : SplitAny(links, ","))
      combination.members.push_back(Trim(member));
  }
  return combinations;
}

// The text of each value key as written, in the order of the definition's values.
struct CValueKey {
  std::string number;
  std::string text;
};

std::vector<CValueKey> ValueKeys(const CIniSection& section) {
  std::vector<CValueKey> keys;
  for (const std::string& key : section.Keys()) {
    std::string number;
    if (MatchValueKey(key, number))
      keys.push_back({number, Trim(section.GetValue(key))});
  }
  return keys;
}

// "count" of "HV_KIVO_WDCNT(count)".
std::string ArgumentName(const std::string& text) {
  std::size_t open = text.find('(');
  std::size_t close = text.rfind(')');
  if (open == std::string::npos)
    return {};
  return Trim(text.substr(open + 1, close == std::string::npos || close < open ? std::string::npos : close - open - 1));
}

std::string Bounds(const CKivoValueDef& value) {
  bool hasMin = !Trim(value.minText).empty();
  bool hasMax = !Trim(value.maxText).empty();
  if (hasMin && hasMax)
    return Escape(Trim(value.minText)) + " to " + Escape(Trim(value.maxText));
  if (hasMin)
    return "at least " + Escape(Trim(value.minText));
  if (hasMax)
    return "at most " + Escape(Trim(value.maxText));
  return "any";
}

void WriteValues(std::ostringstream& out, const CKivoVarDef& def, const CIniSection& section) {
  std::vector<CValueKey> keys = ValueKeys(section);
  bool anyArgument = false;
  for (const auto& value : def.values)
    anyArgument = anyArgument || value->takesArg;
  bool anyKivo2 = def.firstKivo2Value >= 0;
  bool anyName = false;
  bool anyMeaning = false;
  for (const auto& value : def.values) {
    anyName = anyName || !value->friendly.empty();
    anyMeaning = anyMeaning || !value->comment.empty();
  }
  // A column none of the values fills is left out.
  std::vector<std::pair<bool, const char*>> columns = {{true, "C text"},     {true, "Key"},
                                                       {anyName, "Shown as"}, {anyMeaning, "Meaning"},
                                                       {anyArgument, "Argument"}, {anyKivo2, "Kivo2 only"}};
  std::string rule = "|";
  out << "|";
  for (const auto& [shown, caption] : columns) {
    if (!shown)
      continue;
    out << " " << caption << " |";
    rule += "---|";
  }
  out << "\n" << rule << "\n";
  for (std::size_t i = 0; i < def.values.size(); ++i) {
    const CKivoValueDef& value = *def.values[i];
    const std::string text = i < keys.size() ? keys[i].text : value.name;
    const std::string number = i < keys.size() ? keys[i].number : std::to_string(value.number);
    std::string argument = value.takesArg ? ArgumentName(text) : std::string();
    std::string meaning = Escape(value.comment);
    if (value.takesArg)
      meaning = FormatMessageText(meaning, {argument.empty() ? std::string("the argument") : Emphasis(argument)});
    // A combined value names one constant per field; each may go on a line of its own.
    std::vector<std::string> constants;
    for (const std::string& piece : SplitAny(text, ","))
      constants.push_back(Code(Trim(piece)));
    std::string cText;
    for (const std::string& constant : constants)
      cText += (cText.empty() ? "" : ", ") + constant;
    out << "| " << cText << " | " << Escape(number) << " |";
    if (anyName)
      out << " " << Escape(value.friendly) << " |";
    if (anyMeaning)
      out << " " << meaning << " |";
    if (anyArgument) {
      out << " ";
      if (value.takesArg)
        out << (argument.empty() ? std::string() : Emphasis(argument) + ": ") << Bounds(value);
      out << " |";
    }
    if (anyKivo2)
      out << " " << (static_cast<int>(i) >= def.firstKivo2Value ? "yes" : "") << " |";
    out << "\n";
  }
  out << "\n";
}

}  // namespace

std::string WriteRegisterReference(const CKivoCfgDesc& desc, const std::string& sourceName) {
  std::vector<CGroup> groups = ReadGroups(desc);
  std::vector<std::pair<std::string, CCombination>> combinations = ReadCombinations(desc);
  std::set<std::string> combined;
  for (const auto& entry : combinations)
    combined.insert(entry.first);
  // Where each field is used, and whether only on Kivo2 there.
  std::map<std::string, std::vector<std::pair<const CGroup*, bool>>> uses;
  for (const CGroup& group : groups)
    for (const CField& field : group.fields)
      uses[field.section].emplace_back(&group, field.kivo2Only);

  std::ostringstream out;
  out << "# Kivo Register Reference\n\n"
      << "This reference is written from " << Code(sourceName)
      << ", the engine-configuration description Kivo Vam reads at start-up, so it lists exactly what the program "
         "offers: every register field of the engine configuration and every setting of functions without a C API, "
         "with the C text of each value as the generated code writes it, the number of its key in the description, "
         "the name the pages show and its meaning.\n\n"
      << "**Kivo2 only** marks a field or a value that only Kivo2 engines have: for a processor with a Kivo engine "
         "the pages do not offer it and the generated code leaves it out.\n\n";

  std::vector<const CGroup*> members, others;
  for (const CGroup& group : groups)
    (group.member.empty() ? others : members).push_back(&group);
  auto writeGroups = [&](const std::vector<const CGroup*>& list, const char* firstColumn) {
    out << "| " << firstColumn << " | Holds | Fields |\n|---|---|---|\n";
    for (const CGroup* group : list) {
      std::vector<std::string> fields;
      for (const CField& field : group->fields)
        fields.push_back(Escape(field.section) + (field.kivo2Only ? " (Kivo2 only)" : ""));
      out << "| " << (group->member.empty() ? Code(group->section) : Escape(group->member)) << " | "
          << Escape(group->comment) << " | " << JoinWords(fields) << " |\n";
    }
    out << "\n";
  };
  if (!members.empty()) {
    out << "## The configuration structure\n\n"
        << "The engine configuration structure has " << members.size()
        << (members.size() == 1 ? " member" : " members")
        << ". The generated code writes each member as an or of one value of each of its fields, with the value's "
           "comment beside it.\n\n";
    writeGroups(members, "Member");
  }

  if (!combinations.empty()) {
    out << "## Settings chosen together\n\n"
        << "The engine pages offer these settings as one list, whose entries set several fields at once.\n\n";
    for (const auto& [section, combination] : combinations) {
      const CKivoVarDef* def = desc.FindDefBySection(section);
      const CIniSection* ini = desc.FindSection(section);
      std::string title = def ? Title(def->comment) : std::string();
      out << "### " << (title.empty() ? Escape(section) : Escape(title)) << "\n\n";
      std::vector<std::string> fields, places;
      for (const std::string& field : combination.fields)
        fields.push_back(Escape(field));
      for (const std::string& member : combination.members) {
        std::string place = member.starts_with(kMemberPrefix) ? "member " + Escape(member.substr(kMemberPrefix.size()))
                                                              : Code(member);
        if (std::find(places.begin(), places.end(), place) == places.end())
          places.push_back(place);
      }
      out << "Sets " << JoinWords(fields) << " in " << JoinWords(places) << ".\n\n";
      if (def && ini)
        WriteValues(out, *def, *ini);
      else
        out << "The description has no values for this setting.\n\n";
    }
  }

  if (!others.empty()) {
    out << "## Other groups\n\n"
        << "Groups of fields outside the configuration structure: the program builds the arguments of the "
           "channel initialisation call of a function without a C API from them, each an or of one value of each "
           "of its fields.\n\n";
    writeGroups(others, "Group");
  }

  out << "## Fields\n\n";
  for (const auto& def : desc.Definitions()) {
    if (combined.count(def->section))
      continue;
    const CIniSection* ini = desc.FindSection(def->section);
    if (!ini)
      continue;
    std::string title = Title(def->comment);
    out << "### " << Escape(def->section) << (title.empty() ? "" : ": " + Escape(title)) << "\n\n";
    std::vector<std::string> facts;
    auto used = uses.find(def->section);
    if (used != uses.end()) {
      std::vector<std::string> all, kivo2;
      for (const auto& [group, kivo2Only] : used->second) {
        all.push_back(GroupName(*group));
        if (kivo2Only)
          kivo2.push_back(GroupName(*group));
      }
      facts.push_back("In " + JoinWords(all) + ".");
      if (!kivo2.empty())
        facts.push_back(kivo2.size() == all.size() ? "**Kivo2 only.**" : "**Kivo2 only** in " + JoinWords(kivo2) + ".");
    }
    if (!def->parameter.empty())
      facts.push_back("Feeds the parameter " + Code(def->parameter) + ".");
    if (def->customAllowed)
      facts.push_back("A value that is not listed may be typed.");
    if (!facts.empty()) {
      std::string line;
      for (const std::string& fact : facts)
        line += (line.empty() ? "" : " ") + fact;
      out << line << "\n\n";
    }
    WriteValues(out, *def, *ini);
  }
  return out.str();
}
