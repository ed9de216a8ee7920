// Lists the contacts of a handset folder through the servers this script host's bitness
// finds registered, one "contact: NAME NUMBER" line each, then the bitness of the host.
var folder = WScript.Arguments(0);
var handset = new ActiveXObject("Kelvra.SimConnection");
handset.KeepStateIn(folder);
var models = new ActiveXObject("Kelvra.SimModelDatabase");
models.SetValue("PhoneInfo.FromRes", "true");
models.SetValue("PhoneInfo.ResID", String(handset.Model));
models.SetValue("Datastore.Phonebook.PB_GROUP", "true");

var device = new ActiveXObject("Orvane.Syncora.QEL.DeviceDataKELVRA");
device.SetConneciton(handset, models);
device.ListDataTable();
var phonebook = device.GetDataTable(0);

function Column(item, name) {
    return item.GetValue(item.GetOrdinal(name));
}
phonebook.ListItemsAllBegin();
for (var item = phonebook.NextItem(); item != null; item = phonebook.NextItem())
    WScript.Echo("contact: " + Column(item, "FIRST_NAME") + " " + Column(item, "LAST_NAME") + " " +
                 Column(item, "TEL_NUM_0"));
handset.ReleaseState();
// A 32-bit process on 64-bit Windows sees the processor as x86.
var environment = new ActiveXObject("WScript.Shell").Environment("PROCESS");
WScript.Echo("host: " + (environment("PROCESSOR_ARCHITECTURE") == "x86" ? "32-bit" : "64-bit"));
