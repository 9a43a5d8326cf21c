// Numbered texts of the version checker (messages, menu item, progress lines), keyed by its own resource numbers.
#include "app/messagecatalog.h"

const CCatalogEntry kNewscoutCatalog[] = {
    {101, "&About Newscout..."},
    {4000, "Could not load Newscout profile '%1'."},
    {4001, "Error navigating to a download web page."},
    {4002, "Your version of %1 is up to date."},
    {4003, "Error retrieving the server-side information about %1 setup file.\n%2"},
    {4004, "The setup file was not found on the server. It seems the '%1' web server contents was reorganized."},
    {4005, "See WinInet error message bellow.\n\n%1"},
    {4006, "No error message available."},
    {4007, "Could not query the web-content data."},
    {4008, "No need to run the newscout now. Use the \"/force\" option to run unconditionally."},
    {4009, "Could not save Newscout settings to a Windows Registry.\n\nExit Anyway?"},
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
    {5000, "This is the first time"},
};

const std::size_t kNewscoutCatalogSize = std::size(kNewscoutCatalog);
