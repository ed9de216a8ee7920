// A short session against the handset simulator: the host's view of the component.
var tableNames = ["PHONEBOOK", "CALENDAR", "MESSAGE", "FILE", "TASK", "MEMO", "METADATA",
                  "SIM", "DDAY", "MMS", "SIM2"];

function hex(n) {
    return "0x" + ((n < 0 ? n + 0x100000000 : n).toString(16).toUpperCase());
}

var device = new ActiveXObject("Orvane.Syncora.QEL.DeviceDataKELVRA");
var handset = new ActiveXObject("Kelvra.SimConnection");
var models = new ActiveXObject("Kelvra.SimModelDatabase");
models.SetValue("PhoneInfo.FromRes", "true");
models.SetValue("PhoneInfo.ResID", "202");
WScript.Echo("Created the component and a simulated KTM-A280 handset.");

device.SetConneciton(handset, models);
WScript.Echo("Connected: the agent now speaks code page " + handset.CodePage + " (system default).");

device.ListDataTable();
WScript.Echo("Listed the data tables; the model database was asked:");
var questions = models.Questions;
WScript.Echo(questions ? "  " + questions.split("\n").join("\n  ") : "  (nothing)");

for (var id = 0; id < tableNames.length; id++) {
    var table = device.GetDataTable(id);
    WScript.Echo("  DTID_" + tableNames[id] + ": " + (table ? "available" : "not available"));
}

try {
    device.SetProperty("Any", "Value");
} catch (e) {
    WScript.Echo("SetProperty is not offered: " + hex(e.number));
}
WScript.Echo("Packets exchanged with the handset: " + handset.RequestCount);
