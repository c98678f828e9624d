#pragma once

/**
 * Sets the program-wide conventions: Italian locale, short date dd/mm/yyyy, decimal comma and no
 * thousands separator, whatever the machine's regional settings. Every window calls it when made.
 */
void applyFormats();
