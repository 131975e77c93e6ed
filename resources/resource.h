/* Resource identifiers shared by the resource script and the code. */
#ifndef TAVO_RESOURCE_H
#define TAVO_RESOURCE_H

#define IDI_TAVO 100 /* the program's icon, also the saver window class's icon */

#endif
