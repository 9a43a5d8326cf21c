// Numbered texts of the version checker (messages, menu item, progress lines), keyed by its own resource numbers.
#include "base/messagecatalog.h"

const CCatalogEntry kNewscoutCatalog[] = {
    {101, "&About Newscout..."},
    {4000, "Could not load Newscout profile '%1'."},
    {4001, "Error navigating to a download web page."},
    {4002, "Your version of %1 is up to date."},
    {4003, "Error retrieving the server-side information about %1 setup file.\n%2"},
    {4004, "The setup file was not found on the server. It seems the '%1' web server contents was reorganized."},
    {4005, "See the network error message below.\n\n%1"},
    {4006, "No error message available."},
    {4007, "Could not query the web-content data."},
    {4008, "No need to run the newscout now. Use the \"/force\" option to run unconditionally."},
    {4009, "Could not save Newscout settings to the user's settings file.\n\nExit Anyway?"},
    {4011, "Proxy (or other) authentification process failed."},
    {4100, "A new version of the %1 is available!"},
    {4101, "Press the \"Detect Now\" button to check the Web for a new version..."},
    {4102, "A new version (%2) of the %1 is available!"},
    {4200, "Resolving host name..."},
    {4201, "Resolving host name...done"},
    {4202, "Connecting to server..."},
    {4203, "Connecting to server...done"},
    {4204, "Sending request..."},
    {4205, "Sending request...done"},
    {4206, "Receiving response..."},
    {4207, "Receiving response...done"},
    {4208, "Closing connection..."},
    {4209, "Closing connection...done"},
    {4210, "The server '%1' answered with an error: %2."},
    {4211, "The server '%1' answered with %2 bytes, too many for an information file (fewer than %3 bytes)."},
    {5000, "This is the first time"},
    {8000, "Halvora Newscout"},
    {8001, "Halvora Version Checking Tool (Newscout)"},
    {8002, "OK"},
    {8003, "Yes"},
    {8004, "No"},
    {8005, "Cancel"},
    {8010, "Options"},
    {8011, "&Check the Web for a new version automatically"},
    {8012, "Once a Day"},
    {8013, "Once a Week"},
    {8014, "Once a Month"},
    {8015, "&Always ask before connecting to Internet"},
    {8016, "&Connect if an Internet connection is available"},
    {8017, "&Just try to connect (without testing for a network connection first)"},
    {8018, "Version Status"},
    {8019, "Last time the Web was checked:"},
    {8020, "&Detect Now"},
    {8021, "&Visit Download Page..."},
    {8022, "E&xit"},
    {8030, "There is new version %3of %2 available on the '%1' server."},
    {8031, "(%s) "},
    {8032, "Visit Download Page..."},
    {8033, "Do not alert me until yet newer version appears"},
    {8040, "The Automatic Version Checker will now contact the '%1' server to see whether a newer version of the %2 is available for download."},
    {8041, "&Connect"},
    {8042, "Not No&w"},
    {8043, "Not &Today"},
    {8044, "&Options..."},
    {8050, "Version %1"},
    {8051, "Halvora Newscout, the version checker of Halvora products"},
    {8052, "Copyright (C) Halvora"},
    {8060, "The server '%1' asks for a user name and password (%2)."},
    {8061, "The proxy server '%1' asks for a user name and password (%2)."},
    {8062, "&User name:"},
    {8063, "&Password:"},
    {8070, "The server did not answer in time (after %g s)."},
    {8071, "The server address '%1' does not use the http or https protocol."},
    {8072, "The server's answer has a header larger than %1 bytes."},
    {8073, "The server's answer is not an HTTP answer."},
    {8074, "The server's answer ended before it was complete."},
    {8075, "The server's answer is malformed or larger than any answer it may give."},
    {8076, "The server sent the request on to '%1', which is not followed."},
    {8080, "Download page: %1"},
    {8081, "Nobody can answer in console mode: the dialog closes anyway."},
    {8082, "The query was cancelled."},
    {8090, "The profile is not a regular file."},
    {8091, "The profile could not be opened: %1."},
    {8092, "The profile is damaged or incomplete."},
    {8093, "The profile's texts do not decrypt to readable text: it was written with another key."},
    {8094, "No profile was named on the command line, and there is no *.nsp file beside the program."},
    {8095, "The profile is far larger than any profile can be."},
    {8100,
     "Usage: newscout [-g] [-f] [-noupdmsg] [-console] [PROFILE.nsp]\n"
     "Asks the maker's web server named in the profile whether a newer package exists.\n"
     "\n"
     "  -g, /g            show the main dialog\n"
     "  -f, /f            check now, whatever the schedule says\n"
     "  -noupdmsg         also report that nothing is due, that the product is up to date, and errors\n"
     "  -console          show no window: every box and dialog is printed and takes its default button\n"
     "                    (also the case when there is no display)\n"
     "  -h, --help, /?    print this text\n"
     "  --version         print the version\n"
     "\n"
     "Without a PROFILE the first *.nsp file beside the program is read.\n"
     "Exit status in console mode: 0 up to date (or no check due), 10 a newer version exists,\n"
     "1 an error (profile, network or server).\n"
     "NEWSCOUT_CONFIG_DIR=DIR keeps the settings under DIR/user and DIR/system."},
    {8101, "newscout %1"},
    {8200,
     "Usage: newscout-profile write FILE --server HOST --object PATH [--product NAME] [--key-path PATH]\n"
     "                              [--link URL] [--manual-only] [--format 1|2]\n"
     "       newscout-profile show FILE\n"
     "Writes a version-check profile from its fields, or prints the fields of one."},
    {8201, "The option %1 needs a value."},
    {8202, "Unknown option or argument: %1"},
    {8203, "The value of %1 is not printable text; the checker would refuse the profile."},
    {8204, "Could not write '%1'."},
    {8205, "A profile needs at least --server and --object."},
    {8206, "Not a profile format this tool writes: %1"},
};

const std::size_t kNewscoutCatalogSize = std::size(kNewscoutCatalog);
