// Lists a phonebook that another session filled and creates a contact, all through
// IDispatch, reading columns by name.
var failures = 0;
function check(condition, what) {
    if (!condition) {
        failures++;
        WScript.Echo("FAIL: " + what);
    }
}

var handset = new ActiveXObject("Kelvra.SimConnection");
var models = new ActiveXObject("Kelvra.SimModelDatabase");
models.SetValue("PhoneInfo.FromRes", "true");
models.SetValue("PhoneInfo.ResID", "202");
models.SetValue("Datastore.Phonebook.PB_GROUP", "true");

// The device data objects stay alive as long as their tables are used.
var devices = [];
function Connect() {
    var device = new ActiveXObject("Orvane.Syncora.QEL.DeviceDataKELVRA");
    device.SetConneciton(handset, models);
    device.ListDataTable();
    devices.push(device);
    return device.GetDataTable(0);
}

function Column(item, name) {
    var ordinal = item.GetOrdinal(name);
    return ordinal < 0 ? undefined : item.GetValue(ordinal);
}

function Create(table, first, number) {
    var item = table.NewItem(0, 0, 0);
    item.SetValue(item.GetOrdinal("FIRST_NAME"), first);
    item.SetValue(item.GetOrdinal("TEL_NUM_0"), number);
    item.SetValue(item.GetOrdinal("TEL_TYPE_0"), "Mobile.Private");
    return table.CreateItem(item);
}

// One session fills the handset.
var seeding = Connect();
Create(seeding, "Ada", "+44 20 7946 0000");
Create(seeding, "Grace", "555-0101");

// Another lists it and adds a contact.
var phonebook = Connect();
// The item argument is not looked at; scripts cannot pass a null interface.
check(phonebook.GetItemCount(phonebook.NewItem(0, 0, 0), 0, 0) == 2, "two contacts counted");
var names = [];
phonebook.ListItemsAllBegin();
for (var item = phonebook.NextItem(); item != null; item = phonebook.NextItem()) {
    names.push(Column(item, "FIRST_NAME") + " " + Column(item, "TEL_NUM_0"));
    check(item.SUID == names.length, "SUIDs count from 1");
}
check(names.join("|") == "Ada +442079460000|Grace 5550101", "listed " + names.join("|"));
check(Column(phonebook.NewItem(0, 0, 0), "NO_SUCH_COLUMN") === undefined, "unknown column");

var suid = Create(phonebook, "Alan", "0161 496 0000");
check(suid == 3, "new contact took SUID 3, got " + suid);
check(handset.RecordCount(1) == 3, "the handset holds three contacts");

WScript.Echo(failures == 0 ? "script passed" : failures + " checks failed");
WScript.Quit(failures);
