#include "app/rules/HelpTopics.h"

QString HelpText::text() const
{
    return paragraphs.join(QStringLiteral("\r\n\r\n"));
}

namespace {
HelpText avvio()
{
    return { QStringLiteral("Uno sguardo a Vetrinova."),
        {
            QStringLiteral("Vetrinova è un software che consente di catalogare gli articoli del proprio magazzino e di "
                           "stampare listini prezzi con le immagini dei prodotti su fogli di formato A4. Per ogni "
                           "prodotto si compila una scheda con i dati commerciali, la giacenza e la foto; dal "
                           "magazzino si ricavano in qualsiasi momento l'elenco dei materiali sottoscorta e quello "
                           "dei pagamenti da saldare, e l'intero archivio può essere esportato in un foglio di lavoro "
                           "di Microsoft Excel. Si possono creare quanti listini prezzi si desidera, ciascuno con "
                           "tutte le pagine necessarie, e ogni foglio presenta otto prodotti con le relative foto."),
            QStringLiteral("La schermata di partenza dà accesso ai tre ambienti di lavoro del programma: Magazzino "
                           "prodotti, in cui si registrano gli articoli con le loro foto e i loro dati, che potranno "
                           "poi essere importati nei listini; Crea nuovo listino, che prepara un nuovo listino "
                           "prezzi; Apri listino esistente, in cui si compilano e si stampano le pagine dei listini "
                           "già creati. Basta fare clic sull'immagine, sulla barra del titolo o sulla descrizione "
                           "dell'ambiente desiderato; alla sua chiusura si torna qui. L'icona con la lettera i "
                           "mostra le informazioni sul programma, il punto interrogativo apre questa guida e la "
                           "piccola icona in basso a sinistra i riconoscimenti."),
            QStringLiteral("Tutti i dati di Vetrinova (l'archivio del magazzino, le foto dei prodotti, i listini "
                           "prezzi, i file allegati e la password) si trovano nella cartella in cui è installato il "
                           "programma. Per fare una copia di sicurezza basta copiare l'intera cartella su un altro "
                           "disco o su una chiavetta USB; per ripristinare i dati è sufficiente ricopiarla al suo "
                           "posto."),
            QStringLiteral("Per creare un nuovo listino prezzi si sceglie Crea nuovo listino e si digita per intero "
                           "il nome che si desidera assegnargli, ad esempio Listino primavera 2025. La casella non "
                           "accetta i caratteri che non possono comparire nei nomi dei file, come le virgolette, "
                           "l'asterisco, la barra, i due punti e il punto interrogativo."),
            QStringLiteral("Ogni listino è registrato in un file con estensione LIS che porta lo stesso nome e può "
                           "contenere un numero illimitato di pagine. È bene scegliere un nome descrittivo, così da "
                           "riconoscere subito il listino nell'elenco degli archivi: due listini non possono avere "
                           "lo stesso nome."),
            QStringLiteral("Il pulsante Applica e chiudi crea il nuovo listino, ancora vuoto. Per compilarlo si "
                           "sceglie Apri listino esistente, si seleziona il listino nell'elenco, ordinato "
                           "alfabeticamente, e si preme Apri archivio."),
            QStringLiteral("Nella stessa finestra l'icona del cestino elimina il listino selezionato, dopo una "
                           "richiesta di conferma. L'eliminazione non può essere annullata: il listino potrà essere "
                           "recuperato soltanto da una copia di sicurezza."),
            QStringLiteral("L'ambiente Gestione Listino Prezzi permette di compilare, stampare e archiviare le "
                           "singole pagine di un listino, ciascuna con otto articoli. Accanto alla foto di ogni "
                           "articolo compaiono il nome del prodotto, due righe di descrizione, il codice articolo e "
                           "il prezzo di vendita."),
            QStringLiteral("Il pulsante Nuovo prepara una pagina vuota e Salva la aggiunge in coda al listino; per "
                           "modificare una pagina archiviata la si raggiunge con le frecce di scorrimento, si "
                           "apportano le modifiche e si preme di nuovo Salva. Il primo articolo della pagina va "
                           "sempre compilato per intero."),
            QStringLiteral("Gli articoli e il loro ordine sulla pagina si scelgono liberamente: la freccia verde di "
                           "ciascun riquadro importa dal magazzino il nome, le descrizioni, il codice, il prezzo e la "
                           "foto di un prodotto; in alternativa si possono digitare i dati e caricare la foto con un "
                           "clic sull'immagine del riquadro."),
            QStringLiteral("Anteprima e Stampa riproducono la pagina su un foglio A4, con il nome del listino in "
                           "alto e il numero della pagina in fondo."),
            QStringLiteral("Nell'ambiente Magazzino prodotti si crea una scheda per ciascun articolo, con il codice, "
                           "il costo unitario, il nome, la giacenza, l'aspetto esteriore del bene, la categoria "
                           "merceologica, le caratteristiche, la collocazione in magazzino, i dati del fornitore e "
                           "dell'acquisto, le note, il prezzo di vendita, una foto e fino a tre file allegati."),
            QStringLiteral("Nuovo prepara una scheda vuota e Salva la aggiunge all'archivio; per aggiornare una "
                           "scheda esistente la si richiama con le frecce di scorrimento o con Trova, se ne "
                           "modificano i dati e si preme di nuovo Salva."),
            QStringLiteral("Acquisisci foto scatta la foto del prodotto con la webcam collegata al computer e la "
                           "trasferisce nella scheda."),
            QStringLiteral("La foto è sempre mostrata per intero nel suo riquadro, ridotta se necessario mantenendo "
                           "le proporzioni; la lente la mostra nelle sue dimensioni reali e Carica foto permette di "
                           "scegliere un'immagine JPEG o bitmap già esistente."),
            QStringLiteral("La giacenza si aggiorna con i pulsanti + e -, indicando la quantità da aggiungere o da "
                           "sottrarre."),
            QStringLiteral("Quando la giacenza scende fino al numero indicato nel campo Avviso, il prodotto compare "
                           "nell'elenco dei materiali in esaurimento, che si apre con il pulsante Sottoscorta."),
            QStringLiteral("Il campo Note accoglie qualsiasi annotazione utile sul prodotto."),
            QStringLiteral("Il pulsante Trova cerca le schede a partire anche solo da una parte del testo, digitata "
                           "in uno o più campi come il codice, il nome, la categoria, la ditta fornitrice o le "
                           "note."),
            QStringLiteral("Allegati collega alla scheda fino a tre file di qualsiasi tipo, ciascuno con una "
                           "descrizione, che si aprono poi con un clic."),
            QStringLiteral("Duplica prepara una nuova scheda con i dati di quella visualizzata: è il modo più "
                           "rapido per inserire prodotti simili tra loro."),
            QStringLiteral("La casella Pagato indica che l'acquisto è stato saldato; il pulsante Da saldare elenca "
                           "gli acquisti non ancora pagati con la loro scadenza."),
            QStringLiteral("Anteprima e Stampa producono la scheda su un foglio A4, con o senza foto, ed Esporta "
                           "trasferisce l'intero archivio in un foglio di lavoro di Microsoft Excel."),
            QStringLiteral("All'avvio il programma chiede una password, comune a tutti coloro che lo utilizzano. "
                           "Per il primo accesso la password è VETRINOVA. Si consiglia di sostituirla subito con una "
                           "password personale di almeno otto caratteri, scegliendo Cambia password nella finestra "
                           "di accesso; la password può essere cambiata in qualsiasi momento e tutte le volte che "
                           "si desidera."),
            QStringLiteral("Poiché tutto ciò che serve al programma si trova nella sua cartella, Vetrinova può "
                           "essere utilizzato anche da una chiavetta USB: basta copiarvi la cartella e avviare il "
                           "programma da lì, su qualsiasi computer, portando con sé il magazzino e i listini."),
            QStringLiteral("Allo stesso modo la cartella del programma può trovarsi in una cartella condivisa della "
                           "rete locale, così da consultare gli stessi archivi da più postazioni. In questo caso è "
                           "bene che gli archivi vengano modificati da una sola postazione alla volta."),
            QStringLiteral("Ogni ambiente di lavoro ha un proprio pulsante Guida, che apre la pagina dedicata a "
                           "quell'ambiente; il manuale completo, con la descrizione di tutte le finestre, si apre "
                           "dal collegamento Visualizza guida in formato PDF in fondo a questa finestra. Buon lavoro "
                           "con Vetrinova!"),
        } };
}

HelpText magazzino()
{
    return { QStringLiteral("App Magazzino Prodotti."),
        {
            QStringLiteral("L'app Magazzino Prodotti serve a gestire la catalogazione della merce creando una "
                           "scheda per ciascun prodotto. Ogni scheda raccoglie il codice articolo, il costo "
                           "unitario, il nome del prodotto, la giacenza, l'aspetto esteriore del bene, la categoria "
                           "merceologica, le caratteristiche, la collocazione in magazzino, la ditta fornitrice con "
                           "il suo agente e il recapito telefonico, il documento di acquisto, la modalità di "
                           "pagamento con la data di scadenza, le note e il prezzo di vendita, oltre a una foto e a "
                           "un massimo di tre file allegati. Il codice, il costo, il nome, l'aspetto esteriore, la "
                           "categoria, le caratteristiche e il prezzo di vendita vanno sempre indicati."),
            QStringLiteral("Per inserire una nuova scheda premere Nuovo, compilare i campi (il tasto Invio porta al "
                           "campo successivo) e premere Salva: la scheda viene aggiunta in coda all'archivio e il "
                           "suo numero compare tra le frecce in alto a destra. Per aggiornare una scheda esistente, "
                           "richiamarla con le frecce di scorrimento o con il pulsante Trova, modificarne i dati e "
                           "premere di nuovo Salva. Passando a un'altra scheda, le modifiche non salvate vanno "
                           "perse. Le schede non si eliminano: una scheda che non serve più può essere aggiornata "
                           "con i dati di un altro prodotto."),
            QStringLiteral("Il pulsante Acquisisci foto apre la finestra di cattura dalla webcam collegata al "
                           "computer. Dopo aver acceso la webcam, inquadrare il prodotto e premere Cattura foto: "
                           "l'immagine catturata compare sulla destra e può essere salvata su disco oppure "
                           "trasferita nella scheda con Importa foto in scheda."),
            QStringLiteral("La foto viene sempre mostrata per intero nel suo riquadro: un'immagine più grande viene "
                           "ridotta mantenendo le proporzioni, mentre una più piccola compare nelle sue dimensioni. "
                           "L'icona della lente la mostra a tutto schermo nelle sue dimensioni reali; Carica foto "
                           "permette di scegliere un'immagine già esistente in formato JPEG o bitmap, il dischetto "
                           "la salva in un file a scelta e la X la toglie dalla scheda. La foto viene archiviata "
                           "insieme alla scheda quando si preme Salva."),
            QStringLiteral("Il campo Giacenza indica il numero di pezzi disponibili. Per aggiornarlo senza fare "
                           "calcoli a mente si usano i pulsanti + e -, che aprono una piccola finestra in cui "
                           "indicare la quantità da aggiungere o da sottrarre: Calcola totale mostra il risultato e "
                           "Applica e chiudi lo riporta nella scheda. Come ogni altra modifica, la nuova giacenza "
                           "viene registrata in archivio soltanto dopo aver premuto Salva."),
            QStringLiteral("Nel campo Avviso si indica il numero di pezzi rimasti al quale si desidera essere "
                           "avvisati. Il pulsante Sottoscorta elenca tutti i prodotti la cui giacenza è scesa fino "
                           "a questa soglia o al di sotto di essa: è il promemoria dei materiali in esaurimento da "
                           "riordinare, e può essere anche stampato."),
            QStringLiteral("Il campo Note accoglie qualsiasi annotazione utile sul prodotto, fino a 250 caratteri: "
                           "una promozione in corso, un accordo con il fornitore, un cliente che attende l'articolo. "
                           "Le note compaiono nella stampa della scheda e nel foglio di Excel e possono essere "
                           "usate come chiave di ricerca."),
            QStringLiteral("Il pulsante Trova apre la ricerca delle schede in archivio. Basta digitare una o più "
                           "parole consecutive, anche solo in parte, in uno o più dei campi di ricerca (codice, "
                           "costo, nome, categoria, caratteristiche, collocazione, ditta, agente, documento e note) "
                           "e premere Cerca: vengono elencate le schede che contengono tutti i testi indicati. Con "
                           "un doppio clic su una voce dell'elenco la scheda viene richiamata sullo schermo."),
            QStringLiteral("Con il pulsante Allegati si possono collegare alla scheda fino a tre file di qualsiasi "
                           "tipo, ad esempio un listino del fornitore, una scheda tecnica o una fattura, ciascuno con "
                           "una descrizione. Sfoglia copia il file scelto nella cartella Documenti_Allegati del "
                           "programma e Apri lo apre con il programma associato; dopo aver premuto Applica e "
                           "chiudi, ricordarsi di premere Salva per registrare gli allegati nella scheda."),
            QStringLiteral("Il pulsante Duplica è utile per inserire prodotti simili tra loro: prepara una nuova "
                           "scheda che conserva tutti i dati di quella visualizzata, tranne la foto e gli allegati. "
                           "Dopo aver apportato le modifiche, premere Salva per aggiungerla all'archivio; la scheda "
                           "di partenza rimane invariata. Si può duplicare soltanto una scheda già salvata."),
            QStringLiteral("La casella Pagato va contrassegnata quando l'acquisto del prodotto è stato saldato. Il "
                           "pulsante Da saldare elenca tutte le schede il cui pagamento non è ancora stato "
                           "effettuato, con la relativa data di scadenza, che si sceglie dal calendario facendo "
                           "clic sul campo Data scadenza e premendo un tasto qualsiasi."),
            QStringLiteral("I pulsanti Anteprima e Stampa riproducono la scheda corrente su un foglio A4, con la foto "
                           "del prodotto oppure senza foto e con uno spazio per gli appunti a mano; la stampa riporta "
                           "i dati così come compaiono sullo schermo, anche se non ancora salvati. Il pulsante "
                           "Esporta, infine, trasferisce l'intero archivio in un foglio di lavoro di Microsoft "
                           "Excel, che si può aprire anche con Libre Office o Open Office."),
        } };
}

HelpText expMagazzino()
{
    return { QStringLiteral("Esportazione magazzino prodotti in Microsoft Excel."),
        {
            QStringLiteral("Il pulsante Esporta archivio consente di esportare le schede del magazzino prodotti in un "
                           "foglio di lavoro di Microsoft Excel, che potrà essere aperto con qualsiasi software in "
                           "grado di gestire i file in formato XLS (ad esempio, con Open Office, Libre Office o "
                           "Microsoft Office). La tabella di questa finestra mostra tutte le schede dell'archivio, "
                           "una per riga; prima dell'esportazione si possono correggere direttamente nella tabella "
                           "il nome, l'aspetto esteriore, la categoria, il recapito telefonico, le note, il prezzo "
                           "di vendita e il pagamento. Le correzioni valgono soltanto per il file esportato e non "
                           "modificano l'archivio."),
            QStringLiteral("Per creare il file fare clic sull'icona di Excel e confermare la richiesta. Al termine "
                           "dell'esportazione il programma chiede se si desidera aprire subito il file: rispondendo "
                           "Sì, il foglio di lavoro si apre con il programma installato sul computer per i file XLS. "
                           "Ogni valore, compresi i codici, i prezzi e le date, viene riportato come testo, "
                           "esattamente come compare nella scheda."),
            QStringLiteral("Il file si chiama Magazzino.xls, si trova nella cartella del programma e viene riscritto "
                           "a ogni nuova esportazione. Per conservarlo, aprirlo e salvarlo con un nome qualsiasi, ad "
                           "esempio Magazzino_gennaio.xls, oppure nel formato proprio del programma di calcolo. Se "
                           "l'esportazione non riesce, verificare che il file non sia già aperto in un altro "
                           "programma."),
        } };
}

HelpText cataloghi()
{
    return { QStringLiteral("Creazione e apertura dei listini prezzi."),
        {
            QStringLiteral("La schermata di partenza di Vetrinova dà accesso a due ambienti di lavoro: il primo "
                           "permette di creare un nuovo listino prezzi, mentre il secondo va usato per aprire e "
                           "compilare un listino esistente. Alla chiusura di ciascun ambiente si torna alla "
                           "schermata di partenza."),
            QStringLiteral("Tutti i listini prezzi, insieme alle foto dei prodotti e all'archivio del magazzino, "
                           "sono conservati nella cartella in cui è installato il programma. Per fare una copia di "
                           "sicurezza è sufficiente copiare l'intera cartella su un altro disco, su una chiavetta "
                           "USB o in una cartella di rete; per ripristinarla basta ricopiarla al suo posto."),
            QStringLiteral("Per creare un nuovo listino, fare clic su Crea nuovo listino nella schermata di partenza "
                           "e digitare per intero, nell'apposita casella, il nome che si desidera assegnargli, ad "
                           "esempio Listino primavera 2025 oppure Articoli da regalo. La casella non accetta i "
                           "caratteri che non possono comparire nei nomi dei file, come le virgolette, l'asterisco, "
                           "la barra, i due punti, i simboli minore e maggiore e il punto interrogativo."),
            QStringLiteral("Il listino viene registrato in un file con estensione LIS che porta lo stesso nome "
                           "digitato e può contenere un numero illimitato di pagine. Conviene perciò scegliere un "
                           "nome descrittivo, che renda facile riconoscere il listino nell'elenco degli archivi "
                           "quando lo si vorrà riaprire; due listini non possono avere lo stesso nome."),
            QStringLiteral("Dopo aver digitato il nome, premere Applica e chiudi: il programma crea il nuovo "
                           "archivio, ancora vuoto, e torna alla schermata di partenza. Per compilarlo, scegliere "
                           "Apri listino esistente, selezionare il listino nell'elenco, in cui i listini sono "
                           "disposti in ordine alfabetico, e premere Apri archivio: si apre l'ambiente Gestione "
                           "Listino Prezzi, pronto per l'inserimento di una nuova pagina."),
            QStringLiteral("Per eliminare un listino, selezionarlo nell'elenco, fare clic sull'icona del cestino e "
                           "confermare la richiesta. L'operazione non può essere annullata: il file eliminato non "
                           "potrà più essere recuperato, se non da una copia di sicurezza. Le foto delle sue pagine "
                           "rimangono invece nella cartella Foto_Listino."),
        } };
}

HelpText listinoPrezzi()
{
    return { QStringLiteral("App Gestione Listino Prezzi."),
        {
            QStringLiteral("L'app Gestione Listino Prezzi mette a disposizione un ambiente in cui è possibile "
                           "compilare, stampare e archiviare le singole pagine del listino, ciascuna contenente otto "
                           "articoli con relative foto e descrizioni. Accanto alla foto di ogni articolo si trovano "
                           "il nome del prodotto, due righe di descrizione (l'aspetto esteriore del bene e le sue "
                           "caratteristiche), il codice articolo e il prezzo di vendita."),
            QStringLiteral("Per creare una nuova pagina premere il pulsante Nuovo, compilare i riquadri e premere "
                           "Salva: la pagina viene aggiunta in coda al listino e il suo numero compare al centro "
                           "della barra dei pulsanti. Il primo riquadro va compilato in ogni sua parte, mentre gli "
                           "altri possono restare vuoti. Per modificare una pagina già archiviata, raggiungerla con "
                           "le frecce di scorrimento, apportare le modifiche e premere di nuovo Salva. Passando a "
                           "un'altra pagina, le modifiche non salvate vanno perse."),
            QStringLiteral("I prodotti e il loro ordine sulla pagina si scelgono liberamente. Il modo più rapido è "
                           "importarli dal magazzino: la freccia verde accanto al nome di ciascun riquadro apre la "
                           "ricerca nell'archivio dei prodotti e, con un doppio clic sull'articolo trovato, il nome, "
                           "le descrizioni, il codice, il prezzo e la foto vengono copiati nel riquadro. In "
                           "alternativa si possono digitare i dati direttamente e caricare la foto facendo clic "
                           "sull'immagine del riquadro e scegliendo un file JPEG o bitmap."),
            QStringLiteral("I pulsanti Anteprima e Stampa mostrano a video o stampano la pagina visualizzata su un "
                           "foglio di formato A4: in alto compare il nome del listino, poi gli otto prodotti, "
                           "ciascuno in un riquadro con la sua foto e le sue descrizioni, e in fondo il numero della "
                           "pagina, che corrisponde alla sua posizione nell'archivio. Non è necessario salvare la "
                           "pagina prima di stamparla: viene stampato quanto si vede sullo schermo."),
        } };
}
} // namespace

HelpText helpTopic(HelpTopic topic)
{
    switch (topic) {
    case HelpTopic::Avvio:
        return avvio();
    case HelpTopic::Magazzino:
        return magazzino();
    case HelpTopic::ExpMagazzino:
        return expMagazzino();
    case HelpTopic::CreaCatalogo:
    case HelpTopic::ApriCatalogo:
        return cataloghi();
    case HelpTopic::ListinoPrezzi:
        return listinoPrezzi();
    }
    return {};
}
