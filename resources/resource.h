/* Resource identifiers shared by the resource script and the code. */
#ifndef TAVO_RESOURCE_H
#define TAVO_RESOURCE_H

#define IDI_TAVO 100 /* the program's icon, also the saver window class's icon */

#ifndef IDC_STATIC
#define IDC_STATIC (-1) /* labels without a function */
#endif

#define IDD_SETTINGS 2003 /* settings dialog */
#define IDD_NAME_PROMPT 108 /* name prompt */
#define IDC_PATTERN_LIST 1023 /* pattern drop-down list */
#define IDC_MORPH_ON 1028 /* "Change patterns every" */
#define IDC_MORPH_INTERVAL 1019 /* morph interval number box */
#define IDC_MORPH_INTERVAL_ARROWS 1020 /* its up-down arrows */
#define IDC_RANDOM_START 1027 /* "Start with a random pattern" */
#define IDC_DONT_USE 1045 /* "Don't use this pattern" */
#define IDC_USE_ALL 1046 /* "Use all patterns" */
#define IDC_MORPH_SPEED 1024 /* "Pattern Morph Speed" slider */
#define IDC_PAINTING_MODE 1026 /* "Use Painting Mode" slider */
#define IDC_SHOW_NAMES 1017 /* "Show pattern names on screen" */
#define IDC_DOUBLE_SIZE 1018 /* "Draw double size particles" */
#define IDC_SHOW_HINTS 1025 /* "Show hints" */
#define IDC_BG_BRIGHTNESS 1048 /* background brightness slider */
#define IDC_RANDOM_BG 1050 /* "Use background colour randomly" */
#define IDC_PANE_TOGGLE 3 /* "Show/Hide Pattern Settings" */
#define IDC_HELP_BUTTON 10 /* "Help" */
#define IDC_RESOLUTION 1022 /* resolution drop-down list */
#define IDC_VERSION 1021 /* version line */
#define IDC_LINK 1217 /* web-address link */
#define IDC_F1_NOTE 1047 /* F1 note */
#define IDC_TRAIL_LENGTH 1005 /* "Trail Length" slider */
#define IDC_TRAIL_WIDTH 1006 /* "Trail Width" slider */
#define IDC_TRAIL_DENSITY 1010 /* "Trail Density" slider */
#define IDC_TRAIL_KINKINESS 1012 /* "Trail Kinkiness" slider */
#define IDC_FADE_SPEED 1013 /* "Fade Speed" slider */
#define IDC_COLOUR_SPEED 1016 /* "Colour Speed" slider */
#define IDC_SPARKLINESS 1011 /* "Sparkliness" slider */
#define IDC_SPARKLES 1009 /* "Sparkles" check box */
#define IDC_DEFAULTS 6 /* "Defaults" */
#define IDC_COPY 7 /* "Copy" */
#define IDC_RENAME 8 /* "Rename" */
#define IDC_DELETE 9 /* "Delete" */
#define IDC_TRAILS 1008 /* number of trails number box */
#define IDC_TRAILS_ARROWS 1007 /* its up-down arrows */
#define IDC_JUMP 1014 /* seconds between jumps number box */
#define IDC_JUMP_ARROWS 1015 /* its up-down arrows */
#define IDC_ALWAYS_FADE 1043 /* "Always fade trails onto screen" */
#define IDC_ALWAYS_STICKY 1044 /* "Always draw \"sticky\" trails" */
#define IDC_LABEL_PATTERN 1029 /* label */
#define IDC_LABEL_SECONDS 1042 /* label */
#define IDC_LABEL_MORPH_SPEED 1030 /* label */
#define IDC_LABEL_PAINTING 1041 /* label */
#define IDC_LABEL_BRIGHTNESS 1049 /* label */
#define IDC_LABEL_RESOLUTION 1039 /* label */
#define IDC_LABEL_LENGTH 1031 /* label */
#define IDC_LABEL_WIDTH 1032 /* label */
#define IDC_LABEL_DENSITY 1033 /* label */
#define IDC_LABEL_KINKINESS 1034 /* label */
#define IDC_LABEL_FADE 1035 /* label */
#define IDC_LABEL_COLOUR 1036 /* label */
#define IDC_LABEL_SPARKLINESS 1040 /* label */
#define IDC_LABEL_TRAILS 1037 /* label */
#define IDC_LABEL_JUMP 1038 /* label */
#define IDC_PROMPT_NAME 1043 /* name prompt: the name edit box */
#define IDC_PROMPT_QUESTION 1044 /* name prompt: the question */

#endif
