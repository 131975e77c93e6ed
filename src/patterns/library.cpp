// The pattern library operations: exclusions, copy, rename, delete, revert, the random choice and the
// starting pattern. The settings dialog calls them (and asks its questions through them); the saver's start
// chooses the starting pattern. Every change reaches the store at once; a refused operation changes nothing.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "display/display.h"
#include "engine/engine.h"
#include "patterns/patterns.h"
#include "platform/memory.h"
#include "platform/store.h"

int CountExcludedPresets() {
    int count = 0;
    for (int k = 0; k < gPresetCount; ++k)
        count += gPresets[k].dontUse != 0;
    return count;
}

static void UpdateAllPresetsUsed() {
    gAllPresetsUsed = CountExcludedPresets() == 0;
}

bool CheckSomePresetUsed() {
    if (CountExcludedPresets() != gPresetCount) return true;
    ErrorBox("You can't tick \"Don't use this pattern\" for all patterns!");
    return false;
}

bool IsPresetNameFree(const char *name) {
    // the store's own comparison, so two patterns can never share one subkey
    for (int k = 0; k < gPresetCount; ++k) {
        if (StoreCompareNames(gPresets[k].name, name) == 0) {
            char text[160];
            snprintf(text, sizeof text, "There is already a pattern called \"%s\".\nChoose a different name.",
                     name);
            ErrorBox(text);
            return false;
        }
    }
    return true;
}

bool IsPresetNameAllowed(const char *name) {
    if (!strchr(name, '\\')) return true; // a backslash would name a nested key, not a pattern
    ErrorBox("A pattern name can't contain a backslash.");
    return false;
}

void MakeCopyName(int source, char *out, int outSize) {
    std::string text = std::string("Copy of ") + gPresets[source].name;
    text.resize(std::min<size_t>(text.size(), PRESET_NAME_LEN)); // the prompt takes 30 characters
    snprintf(out, static_cast<size_t>(outSize), "%s", text.c_str());
}

// ---------------------------------------------------------------------------------------------------------------
// Exclusions
// ---------------------------------------------------------------------------------------------------------------
void SetPresetExcluded(int index, bool excluded) {
    gPresets[index].dontUse = excluded;
    if (index >= NUM_STANDARD_PRESETS) {
        char path[sizeof SETTINGS_KEY + PRESET_NAME_LEN + 2];
        snprintf(path, sizeof path, "%s\\%s", SETTINGS_KEY, gPresets[index].name);
        void *key = nullptr;
        if (StoreCreateKey(path, &key) == STORE_SUCCESS) {
            const unsigned char flag[4] = {static_cast<unsigned char>(excluded), 0, 0, 0};
            StoreWriteValue(key, "Don't Use Presets", STORE_DWORD, flag, 4);
            StoreCloseKey(key);
        }
    } else {
        char old[SETTING_TEXT_LEN + 1] = "";
        void *key = nullptr;
        if (StoreOpenKey(SETTINGS_KEY, STORE_READ, &key) == STORE_SUCCESS) {
            ReadRegString(key, "Don't Use Presets", old, SETTING_TEXT_LEN, "");
            StoreCloseKey(key);
        }
        // rebuilt from the valid entries only, each once, so the list always fits its 30 characters
        bool seen[NUM_STANDARD_PRESETS] = {};
        char list[SETTING_TEXT_LEN + 1] = "";
        size_t length = 0;
        auto append = [&](int entry) {
            if (seen[entry]) return;
            seen[entry] = true;
            snprintf(list + length, sizeof list - length, "%02d", entry);
            length += 2;
        };
        for (size_t at = 0; old[at] && old[at + 1]; at += 2) {
            if (old[at] < '0' || old[at] > '9' || old[at + 1] < '0' || old[at + 1] > '9') continue;
            const int entry = (old[at] - '0') * 10 + (old[at + 1] - '0');
            if (entry < NUM_STANDARD_PRESETS && entry != index) append(entry);
        }
        if (excluded) append(index);
        if (StoreCreateKey(SETTINGS_KEY, &key) == STORE_SUCCESS) {
            StoreWriteValue(key, "Don't Use Presets", STORE_SZ, list, static_cast<uint32_t>(length));
            StoreCloseKey(key);
        }
    }
    UpdateAllPresetsUsed();
}

void UseAllPresets() {
    void *key = nullptr;
    if (StoreCreateKey(SETTINGS_KEY, &key) == STORE_SUCCESS) {
        StoreWriteValue(key, "Don't Use Presets", STORE_SZ, "", 0);
        StoreCloseKey(key);
    }
    gAllPresetsUsed = 1;
    for (int k = 0; k < gPresetCount; ++k) {
        gPresets[k].dontUse = 0;
        if (k >= NUM_STANDARD_PRESETS) SavePreset(k); // standard patterns' subkeys are left as they are
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Copy, rename, delete, revert
// ---------------------------------------------------------------------------------------------------------------
// Puts the user patterns in the order the store enumerates their subkeys, as the next load will; patterns the
// store does not hold keep their order after the others. Returns where the pattern at `follow` went;
// gCurrentPreset follows its pattern too.
static int SortUserPresets(int follow) {
    const int users = gPresetCount - NUM_STANDARD_PRESETS;
    if (users < 2) return follow;
    std::vector<std::string> order;
    void *key = nullptr;
    if (StoreOpenKey(SETTINGS_KEY, STORE_READ, &key) == STORE_SUCCESS) {
        for (uint32_t index = 0;; ++index) {
            char name[STORE_NAME_BUFFER];
            uint32_t size = sizeof name;
            const int32_t result = StoreEnumKey(key, index, name, &size);
            if (result == STORE_MORE_DATA) continue;
            if (result != STORE_SUCCESS) break;
            order.emplace_back(name);
        }
        StoreCloseKey(key);
    }
    auto rank = [&](const Preset &p) {
        for (size_t k = 0; k < order.size(); ++k)
            if (StoreCompareNames(order[k].c_str(), p.name) == 0) return k;
        return order.size();
    };
    std::vector<int> from(static_cast<size_t>(users));
    for (int k = 0; k < users; ++k)
        from[static_cast<size_t>(k)] = NUM_STANDARD_PRESETS + k;
    std::stable_sort(from.begin(), from.end(),
                     [&](int a, int b) { return rank(gPresets[a]) < rank(gPresets[b]); });
    std::vector<Preset> sorted(static_cast<size_t>(users));
    int followed = follow, current = gCurrentPreset;
    for (int k = 0; k < users; ++k) {
        const int source = from[static_cast<size_t>(k)];
        sorted[static_cast<size_t>(k)] = gPresets[source];
        if (source == follow) followed = NUM_STANDARD_PRESETS + k;
        if (source == gCurrentPreset) current = NUM_STANDARD_PRESETS + k;
    }
    std::copy(sorted.begin(), sorted.end(), gPresets + NUM_STANDARD_PRESETS);
    gCurrentPreset = current;
    return followed;
}

int CopyPreset(int source, const char *newName, const Preset *pane) {
    const Preset values = *pane; // the pane may be a record of the block about to move
    const int32_t spiralTrail = gPresets[source].spiralTrail;
    const double spiralInc = gPresets[source].spiralInc;
    Preset *grown = static_cast<Preset *>(
        HeapReallocate(gPresets, sizeof(Preset) * static_cast<size_t>(gPresetCount + 1)));
    if (!grown) {
        ErrorBox("A system error occurred copying the preset.");
        return -1;
    }
    gPresets = grown;
    const int index = gPresetCount++;
    Preset *p = &gPresets[index];
    memset(p, 0, sizeof *p);
    snprintf(p->name, sizeof p->name, "%s", newName);
    p->trailKinkiness = values.trailKinkiness;
    p->trailLength = values.trailLength;
    p->trailDensity = values.trailDensity;
    p->trailWidth = values.trailWidth;
    p->numberOfTrails = values.numberOfTrails;
    p->sparkle = values.sparkle;
    p->sparkliness = values.sparkliness;
    p->fadeSpeed = values.fadeSpeed;
    p->colourSpeed = values.colourSpeed;
    p->jumpSpeed = values.jumpSpeed;
    p->alwaysFadeHead = values.alwaysFadeHead;
    p->alwaysQuicksand = values.alwaysQuicksand;
    p->dontUse = values.dontUse;
    p->spiralTrail = spiralTrail; // not editable: inherited from the source
    p->spiralInc = spiralInc;
    // alwaysPaint, modified and is3D belong to the standard records only: left clear
    SavePreset(index);
    UpdateAllPresetsUsed();
    return SortUserPresets(index);
}

int RenamePreset(int index, const char *newName) {
    if (index < NUM_STANDARD_PRESETS) {
        ErrorBox("You can't rename the standard patterns.");
        return -1;
    }
    char oldName[PRESET_NAME_LEN + 1];
    memcpy(oldName, gPresets[index].name, sizeof oldName);
    snprintf(gPresets[index].name, sizeof gPresets[index].name, "%s", newName);
    // the new subkey first: if it cannot be written, the old one still holds the pattern
    if (WritePresetKey(index) && StoreCompareNames(oldName, newName) != 0) {
        void *key = nullptr;
        if (StoreOpenKey(SETTINGS_KEY, STORE_ALL_ACCESS, &key) == STORE_SUCCESS) {
            StoreDeleteKey(key, oldName);
            StoreCloseKey(key);
        }
    }
    return SortUserPresets(index);
}

void DeletePresetKey(int index) {
    void *key = nullptr;
    if (StoreOpenKey(SETTINGS_KEY, STORE_ALL_ACCESS, &key) != STORE_SUCCESS) return;
    StoreDeleteKey(key, gPresets[index].name);
    if (index > NUM_STANDARD_PRESETS) {
        const int32_t preset = index - 1;
        unsigned char bytes[4];
        for (int k = 0; k < 4; ++k)
            bytes[k] = static_cast<unsigned char>(static_cast<uint32_t>(preset) >> (8 * k));
        StoreWriteValue(key, "Preset", STORE_DWORD, bytes, 4);
    }
    StoreCloseKey(key);
}

bool DeletePreset(int index) {
    if (index < NUM_STANDARD_PRESETS) {
        ErrorBox("You can't delete the standard patterns.");
        return false;
    }
    char question[128];
    snprintf(question, sizeof question, "Are you sure you want to delete \"%s\"?", gPresets[index].name);
    if (!AskYesNo(question, false)) return false;
    DeletePresetKey(index);
    GetSettings(true);
    return true;
}

bool RevertPreset(int index) {
    if (index >= NUM_STANDARD_PRESETS) {
        ErrorBox("You can only restore the standard patterns to their default settings.");
        return false;
    }
    char question[160];
    snprintf(question, sizeof question,
             "Are you sure you want to revert \"%s\" back to its default settings?", gPresets[index].name);
    if (!AskYesNo(question, false)) return false;
    // Whether the pattern is used is not one of its settings: an excluded pattern stays excluded, in memory
    // and in the store (its subkey, which may have held the exclusion, is deleted here).
    const bool excluded = gPresets[index].dontUse != 0;
    DeletePresetKey(index);
    InitStandardPreset(index);
    if (excluded)
        SetPresetExcluded(index, true);
    else
        UpdateAllPresetsUsed();
    return true;
}

// ---------------------------------------------------------------------------------------------------------------
// Random and starting pattern
// ---------------------------------------------------------------------------------------------------------------
void ChooseRandomPreset() {
    // with every pattern excluded (only a hand-edited store can do that) the exclusions are ignored
    const bool anyUsed = CountExcludedPresets() < gPresetCount;
    do {
        gCurrentPreset = Rand() % gPresetCount;
    } while (anyUsed && gPresets[gCurrentPreset].dontUse);
    ApplyPreset(gCurrentPreset);
}

void ChooseStartingPreset() {
    if (gUseRandomPreset) {
        ChooseRandomPreset();
    } else if (gMorphSettings) {
        if (gPresets[gCurrentPreset].dontUse)
            ChooseRandomPreset();
        else
            ApplyPreset(gCurrentPreset); // draws the painting decision anew
    }
    if (gRandomBackground && gBackgroundBrightness > 0)
        gBlueBackground = Rand() % 2 == 1;
    else
        gBlueBackground = gBackgroundBrightness > 0;
}
