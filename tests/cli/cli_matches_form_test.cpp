// tactimer-cli's numbers are the form's: for a thousand seeded pairs of
// input texts, the texts it prints are those that the Calculate command
// writes into the in-memory form, and it refuses exactly the pairs that
// the form clears or shows only "--" for. Runs natively and under Wine.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "calc/form_controller.h"
#include "calc/note_length_table.h"
#include "request/run_request.h"
#include "res/resource_ids.h"
#include "tests/input_texts.h"
#include "tests/memory_form.h"

namespace {

int GetArgument(void *context, int index, wchar_t *text, int capacity) {
    const std::wstring &argument = (*static_cast<std::vector<std::wstring> *>(context))[index];
    const int copied = std::min(static_cast<int>(argument.size()), capacity - 1);
    argument.copy(text, copied);
    text[copied] = L'\0';
    return static_cast<int>(argument.size());
}

long NoInput(void *, unsigned char *, long) {
    return 0;
}

bool NoFile(void *, int, int, ByteSource &) {
    return false;
}

void CloseNothing(ByteSource &) {}

void Append(void *context, const wchar_t *text) {
    *static_cast<std::wstring *>(context) += text;
}

// The CSV records, each split into its fields.
std::vector<std::vector<std::wstring>> Records(const std::wstring &csv) {
    std::vector<std::vector<std::wstring>> records;
    for (size_t start = 0, end; (end = csv.find(L"\r\n", start)) != std::wstring::npos;
         start = end + 2) {
        std::vector<std::wstring> fields(1);
        for (wchar_t c : csv.substr(start, end - start)) {
            if (c == L',') {
                fields.emplace_back();
            } else {
                fields.back() += c;
            }
        }
        records.push_back(fields);
    }
    return records;
}

TEST(TactimerCli, PrintsTheFormsTextsForAThousandSeededInputs) {
    std::mt19937 random(20261208);
    static MemoryForm form;
    int refused = 0;
    for (int i = 0; i < 1000; ++i) {
        std::vector<std::wstring> arguments = {L"--format", L"csv", L"--", NextInputText(random),
                                               NextInputText(random)};
        std::wstring out;
        std::wstring err;
        const int status = RunRequest({{&arguments, 5, GetArgument},
                                       {nullptr, NoInput},
                                       {&out, Append},
                                       {&err, Append},
                                       {nullptr, NoFile, CloseNothing}});

        ResetMemoryForm(form);
        TypeIntoField(form, IDC_TEMPO, arguments[3].c_str());
        TypeIntoField(form, IDC_RESOLUTION, arguments[4].c_str());
        bool shown = OnCalculate(MemoryFormAccess(form));
        // A grid that shows "--" everywhere, its values too long, is refused
        // as well.
        bool everyFieldDashed = true;
        for (const NoteLengthEntry &entry : NoteLengthTable) {
            everyFieldDashed = everyFieldDashed &&
                               std::wstring(FieldTextOf(form, entry.tickFieldId)) == L"--" &&
                               std::wstring(FieldTextOf(form, entry.millisecondFieldId)) == L"--";
        }
        shown = shown && !everyFieldDashed;

        SCOPED_TRACE(testing::Message() << "tempo " << testing::PrintToString(arguments[3])
                                        << ", resolution " << testing::PrintToString(arguments[4]));
        ASSERT_EQ(shown ? 0 : 1, status);
        if (!shown) {
            ++refused;
            EXPECT_EQ(L"", out);
            continue;
        }
        const std::vector<std::vector<std::wstring>> records = Records(out);
        ASSERT_EQ(1u + kNoteLengthCount, records.size());
        for (int note = 0; note < kNoteLengthCount; ++note) {
            const NoteLengthEntry &entry = NoteLengthTable[note];
            const std::vector<std::wstring> expected = {
                entry.caption, FieldTextOf(form, entry.tickFieldId),
                FieldTextOf(form, entry.millisecondFieldId)};
            EXPECT_EQ(expected, records[note + 1]) << "note " << note;
        }
    }
    // The mix holds both kinds.
    EXPECT_GT(refused, 50);
    EXPECT_LT(refused, 500);
}

}  // namespace
