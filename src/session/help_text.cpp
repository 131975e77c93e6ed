// The help built into the program: a line or two for each help context of the settings dialog, and the
// dialog's own page with the keys of the running saver. The dialog shows these where no help viewer and
// help file are at hand, which is every current system.
#include "session/session.h"

struct HelpEntry {
    uint32_t context;
    const char *text;
};

static const HelpEntry kHelpTexts[] = {
    {10, "Trail Length: how long each particle lives, so how long the trails are (1 to 1000)."},
    {20, "Trail Width: how far apart the particles of a trail are spread (1 to 90)."},
    {30, "Number of Trails: how many rotated copies of the trail make up the figure."},
    {40, "Sparkles: particles flash now and then as they fade."},
    {60, "Shows or hides the pattern settings in the lower half of this dialog."},
    {70, "Trail Density: how often the head sheds a particle. Higher is denser but slower."},
    {80, "Resolution: the screen size the saver draws at. Smaller sizes run faster."},
    {90, "Sparkliness: how often the sparkling particles flash."},
    {100, "Trail Kinkiness: how sharply the head turns as it flies."},
    {110, "Seconds Between Jumps: how often the head jumps to a new place on the screen."},
    {120, "Fade Speed: how fast the particles fade away."},
    {140, "Colour Speed: how fast the colour of new particles changes."},
    {160, "Pattern: the pattern the saver starts with and that the lower half of this dialog edits."},
    {170, "Start with a random pattern instead of the one chosen above."},
    {180, "Morph into another pattern after the number of seconds given here."},
    {190, "Pattern Morph Speed: how long a morph from one pattern into the next takes."},
    {200, "The number of seconds between two pattern morphs."},
    {210, "Opens the Tavo web site in your browser."},
    {220, "New particles of this pattern always fade in instead of appearing at once (the F effect)."},
    {230, "This pattern always draws \"sticky\" trails (the Q effect stays on)."},
    {250, "Leaves this pattern out when the saver picks or morphs to a pattern."},
    {260, "Uses every pattern again, including those left out."},
    {270, "Defaults: puts back the standard settings of this pattern."},
    {280, "Copy: makes a new pattern from this one with the settings shown."},
    {300, "Rename: gives this pattern a new name."},
    {310, "Delete: removes this pattern; a standard pattern goes back to its standard settings."},
    {320, "Shows the name of each pattern at the bottom of the screen."},
    {330, "Draws every particle twice as large."},
    {340, "Shows help about this dialog and the keys of the saver."},
    {350, "Shows a hint line when the saver draws slowly."},
    {360,
     "Use Painting Mode: trails pile up on the screen instead of being cleared: never, at random or always."},
    {370, "Background Colour Brightness: how bright the background is, from black to lighter."},
    {380, "Uses the coloured background only at random instead of every time."},
};

const char *HelpTextOf(uint32_t context) {
    for (const HelpEntry &entry : kHelpTexts)
        if (entry.context == context) return entry.text;
    return nullptr;
}

const char *const kDialogHelpText =
    "Tavo draws glowing particle trails. This dialog chooses the patterns and how the saver changes between "
    "them; \"Show Pattern Settings\" edits the chosen pattern. Click \"?\" and then a control, or press F1 "
    "on it, for a line about it.\n\n"
    "Keys while the saver runs:\n"
    "1 to 0\tmorph to pattern 1 to 10\n"
    "Ctrl+1 to Ctrl+5\tmorph to pattern 11 to 15\n"
    "M\tmorph to the next pattern\n"
    "C, F, J, L, O, Q, S, V, W, Z\ttrigger effects\n"
    "P\tpainting mode on or off\n"
    "D\tdouble-size particles on or off\n"
    "N\tpattern names on or off\n"
    "H\thints on or off\n"
    "F1\tshow or hide this key list\n"
    "Pause\tpause or go on\n"
    "Any other key, a click or moving the mouse ends the saver.";
