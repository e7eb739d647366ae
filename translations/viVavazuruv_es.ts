<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>CaughtError</name>
    <message>
        <source>The host raised an error that carries no description.</source>
        <translation>La aplicación anfitriona notificó un error sin descripción.</translation>
    </message>
</context>
<context>
    <name>Connection</name>
    <message>
        <source>The host lent no database connection.</source>
        <translation>La aplicación anfitriona no proporcionó ninguna conexión a la base de datos.</translation>
    </message>
    <message>
        <source>The host&apos;s database connection &quot;%1&quot; is not open.</source>
        <translation>La conexión a la base de datos «%1» de la aplicación anfitriona no está abierta.</translation>
    </message>
    <message>
        <source>The statement failed: %1</source>
        <translation>La instrucción ha fallado: %1</translation>
    </message>
</context>
<context>
    <name>CopiedRows</name>
    <message>
        <source>A value of %1 bytes is too long to read.</source>
        <translation>Un valor de %1 bytes es demasiado largo para leerlo.</translation>
    </message>
</context>
<context>
    <name>DemoHost</name>
    <message>
        <source>viVavazuruv demo host</source>
        <translation>viVavazuruv: anfitrión de demostración</translation>
    </message>
    <message>
        <source>Cannot remove &quot;%1&quot;: %2</source>
        <translation>No se puede eliminar «%1»: %2</translation>
    </message>
    <message>
        <source>Cannot count the rows of %1: %2</source>
        <translation>No se pueden contar las filas de %1: %2</translation>
    </message>
    <message>
        <source>Unexpected argument &quot;%1&quot;; see --help.</source>
        <translation>Argumento inesperado «%1»; consulte --help.</translation>
    </message>
    <message>
        <source>--office needs a number above 0.</source>
        <translation>--office necesita un número mayor que 0.</translation>
    </message>
    <message>
        <source>The data folder &quot;%1&quot; cannot be created; give --database.</source>
        <translation>No se puede crear la carpeta de datos «%1»; indique --database.</translation>
    </message>
    <message>
        <source>--fresh works only with an sqlite: file address.</source>
        <translation>--fresh solo funciona con una dirección de archivo sqlite:.</translation>
    </message>
    <message>
        <source>Cannot open the database</source>
        <translation>No se puede abrir la base de datos</translation>
    </message>
    <message>
        <source>%1

(error %2)</source>
        <translation>%1

(error %2)</translation>
    </message>
    <message>
        <source>the database address holds a password, which every user of this computer can read while the program runs; keep it in ~/.pgpass or a service file instead</source>
        <translation>la dirección de la base de datos contiene una contraseña que cualquier usuario de este equipo puede leer mientras el programa se ejecuta; guárdela en ~/.pgpass o en un archivo de servicio</translation>
    </message>
</context>
<context>
    <name>DriverRows</name>
    <message>
        <source>The query failed: %1</source>
        <translation>La consulta ha fallado: %1</translation>
    </message>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>La lectura de las filas ha fallado: %1</translation>
    </message>
</context>
<context>
    <name>GridCellDelegate</name>
    <message>
        <source>Column %1</source>
        <translation>Columna %1</translation>
    </message>
</context>
<context>
    <name>GridMenu</name>
    <message>
        <source>Select Codes</source>
        <translation>Seleccionar códigos</translation>
    </message>
    <message>
        <source>Select Letter</source>
        <translation>Seleccionar carta</translation>
    </message>
</context>
<context>
    <name>HostConnection</name>
    <message>
        <source>The connection to %1 was closed as the application ended.</source>
        <translation>La conexión con %1 se cerró al terminar la aplicación.</translation>
    </message>
    <message>
        <source>The database file &quot;%1&quot; was removed or replaced while the host had it open; the host writes nothing more to it. Restore the file, then start again.</source>
        <translation>El archivo de base de datos «%1» se eliminó o se sustituyó mientras la aplicación anfitriona lo tenía abierto; ya no se escribirá nada en él. Restaure el archivo y vuelva a empezar.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost while rows were being saved.</source>
        <translation>Se perdió la conexión con %1 mientras se guardaban filas.</translation>
    </message>
    <message>
        <source>The connection to %1 was lost and could not be made again: %2</source>
        <translation>Se perdió la conexión con %1 y no se pudo restablecer: %2</translation>
    </message>
    <message>
        <source>The host could not prepare a statement: %1</source>
        <translation>La aplicación anfitriona no pudo preparar una instrucción: %1</translation>
    </message>
    <message>
        <source>The list could not be saved: another workstation kept the database busy for too long (%1).</source>
        <translation>No se pudo guardar la lista: otro puesto de trabajo mantuvo ocupada la base de datos demasiado tiempo (%1).</translation>
    </message>
    <message>
        <source>The saved rows could not be committed: %1</source>
        <translation>No se pudieron confirmar las filas guardadas: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be used as an SQLite database: %2</source>
        <translation>«%1» no se puede usar como base de datos SQLite: %2</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; for the SQLite database does not exist.</source>
        <translation>La carpeta «%1» para la base de datos SQLite no existe.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a folder, not an SQLite database file.</source>
        <translation>«%1» es una carpeta, no un archivo de base de datos SQLite.</translation>
    </message>
    <message>
        <source>The SQLite driver (QSQLITE) is not available.</source>
        <translation>El controlador de SQLite (QSQLITE) no está disponible.</translation>
    </message>
    <message>
        <source>Cannot open the SQLite database &quot;%1&quot;: %2</source>
        <translation>No se puede abrir la base de datos SQLite «%1»: %2</translation>
    </message>
    <message>
        <source>The SQLite database &quot;%1&quot; cannot be found after opening it.</source>
        <translation>No se encuentra la base de datos SQLite «%1» después de abrirla.</translation>
    </message>
    <message>
        <source>Cannot connect to %1: %2</source>
        <translation>No se puede conectar con %1: %2</translation>
    </message>
    <message>
        <source>The PostgreSQL driver (VVPSQL) is not available.</source>
        <translation>El controlador de PostgreSQL (VVPSQL) no está disponible.</translation>
    </message>
    <message>
        <source>Cannot create the schema &quot;%1&quot; in %2: %3</source>
        <translation>No se puede crear el esquema «%1» en %2: %3</translation>
    </message>
    <message>
        <source>The schema name &quot;%1&quot; is not a plain name (letters, digits, underscores).</source>
        <translation>El nombre de esquema «%1» no es un nombre simple (letras, dígitos, guiones bajos).</translation>
    </message>
    <message>
        <source>The address setting &quot;%1&quot; takes a whole number from %2 to %3.</source>
        <translation>El ajuste de dirección «%1» admite un número entero de %2 a %3.</translation>
    </message>
    <message>
        <source>The PostgreSQL address has &quot;%1&quot; without &quot;=&quot; and a value.</source>
        <translation>La dirección de PostgreSQL tiene «%1» sin «=» ni valor.</translation>
    </message>
    <message>
        <source>The PostgreSQL address has an unterminated quoted value for &quot;%1&quot;.</source>
        <translation>La dirección de PostgreSQL tiene un valor entre comillas sin cerrar para «%1».</translation>
    </message>
    <message>
        <source>The database address &quot;sqlite:&quot; names no database file.</source>
        <translation>La dirección de base de datos «sqlite:» no indica ningún archivo de base de datos.</translation>
    </message>
    <message>
        <source>The database address must begin with &quot;sqlite:&quot; or &quot;postgresql://&quot;, or be PostgreSQL keywords and values (such as &quot;service=office&quot;).</source>
        <translation>La dirección de base de datos debe empezar por «sqlite:» o «postgresql://», o consistir en palabras clave y valores de PostgreSQL (como «service=office»).</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>memoria agotada</translation>
    </message>
    <message>
        <source>The PostgreSQL address is not valid: %1</source>
        <translation>La dirección de PostgreSQL no es válida: %1</translation>
    </message>
</context>
<context>
    <name>HostSchema</name>
    <message>
        <source>Creating the host&apos;s tables failed: %1</source>
        <translation>La creación de las tablas de la aplicación anfitriona ha fallado: %1</translation>
    </message>
    <message>
        <source>%1 has no %2 column the host can make case-free.</source>
        <translation>%1 no tiene ninguna columna %2 que la aplicación anfitriona pueda hacer independiente de mayúsculas y minúsculas.</translation>
    </message>
    <message>
        <source>Keeping %1&apos;s key counter failed: %2</source>
        <translation>No se pudo conservar el contador de claves de %1: %2</translation>
    </message>
    <message>
        <source>The database holds host tables of version %1; this host knows version %2 at most.</source>
        <translation>La base de datos contiene tablas de la aplicación anfitriona en la versión %1; esta aplicación anfitriona conoce como máximo la versión %2.</translation>
    </message>
    <message>
        <source>Recording the host tables&apos; version failed: %1</source>
        <translation>No se pudo registrar la versión de las tablas de la aplicación anfitriona: %1</translation>
    </message>
</context>
<context>
    <name>ListEditSession</name>
    <message>
        <source>    %1: &quot;%2&quot;, now &quot;%3&quot;<byte value="xd"/>
</source>
        <translation>    %1: «%2», ahora «%3»<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed at another workstation since you started editing it:<byte value="xd"/>
%2<byte value="xd"/>
Yes: save your version over theirs.<byte value="xd"/>
No: keep theirs and drop your change.</source>
        <translation>«%1» se modificó en otro puesto de trabajo desde que empezó a editarlo:<byte value="xd"/>
%2<byte value="xd"/>
Sí: guardar su versión sobre la otra.<byte value="xd"/>
No: conservar la otra versión y descartar su cambio.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was moved to another list or office at another workstation since you started editing it; your change to it is not saved.</source>
        <translation>«%1» se trasladó a otra lista u otra clínica en otro puesto de trabajo desde que empezó a editarlo; su cambio no se guarda.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted at another workstation since you started editing it.<byte value="xd"/>
<byte value="xd"/>
Yes: add your version again.<byte value="xd"/>
No: leave it deleted.</source>
        <translation>«%1» se eliminó en otro puesto de trabajo desde que empezó a editarlo.<byte value="xd"/>
<byte value="xd"/>
Sí: volver a añadir su versión.<byte value="xd"/>
No: dejarlo eliminado.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed at another workstation since you started editing:<byte value="xd"/>
%2<byte value="xd"/>
Delete it all the same?</source>
        <translation>«%1» se modificó en otro puesto de trabajo desde que empezó a editar:<byte value="xd"/>
%2<byte value="xd"/>
¿Eliminarlo de todos modos?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete this record?</source>
        <translation>¿Seguro que desea eliminar este registro?</translation>
    </message>
    <message>
        <source>Delete Record</source>
        <translation>Eliminar registro</translation>
    </message>
    <message>
        <source>Row %1 has no record key (&quot;%2&quot;); it cannot be updated.</source>
        <translation>La fila %1 no tiene clave de registro («%2»); no se puede actualizar.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by %2 at %3 at another workstation since you started editing it:<byte value="xd"/>
%4<byte value="xd"/>
Yes: save your version over theirs.<byte value="xd"/>
No: keep theirs and drop your change.</source>
        <translation>«%1» fue modificado por %2 a las %3 en otro puesto de trabajo desde que empezó a editarlo:<byte value="xd"/>
%4<byte value="xd"/>
Sí: guardar su versión sobre la otra.<byte value="xd"/>
No: conservar la otra y descartar su cambio.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was deleted by %2 at %3 at another workstation since you started editing it.<byte value="xd"/>
<byte value="xd"/>
Yes: add your version again.<byte value="xd"/>
No: leave it deleted.</source>
        <translation>«%1» fue eliminado por %2 a las %3 en otro puesto de trabajo desde que empezó a editarlo.<byte value="xd"/>
<byte value="xd"/>
Sí: volver a añadir su versión.<byte value="xd"/>
No: dejarlo eliminado.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; was changed by %2 at %3 at another workstation since you started editing:<byte value="xd"/>
%4<byte value="xd"/>
Delete it all the same?</source>
        <translation>«%1» fue modificado por %2 a las %3 en otro puesto de trabajo desde que empezó a editar:<byte value="xd"/>
%4<byte value="xd"/>
¿Eliminarlo de todos modos?</translation>
    </message>
</context>
<context>
    <name>ListHistory</name>
    <message>
        <source>Reading the list history failed: %1</source>
        <translation>No se pudo leer el historial de la lista: %1</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a date (YYYY-MM-DD) or a time (YYYY-MM-DDTHH:MM:SS)</source>
        <translation>«%1» no es una fecha (AAAA-MM-DD) ni una hora (AAAA-MM-DDTHH:MM:SS)</translation>
    </message>
    <message>
        <source>change %1 (%2 of key %3 in %4%5)</source>
        <translation>cambio %1 (%2 de la clave %3 en %4%5)</translation>
    </message>
    <message>
        <source> by %1</source>
        <translation> por %1</translation>
    </message>
    <message>
        <source>the history does not verify, so nothing is pruned: %1</source>
        <translation>el historial no se verifica, así que no se recorta nada: %1</translation>
    </message>
    <message>
        <source>there is no change %1 in the history</source>
        <translation>no hay ningún cambio %1 en el historial</translation>
    </message>
    <message>
        <source>%1 is of office %2, not of office %3</source>
        <translation>%1 es de la clínica %2, no de la clínica %3</translation>
    </message>
    <message>
        <source>the key %1 is in use again, by a row of list %2%3</source>
        <translation>la clave %1 vuelve a estar en uso, por una fila de la lista %2%3</translation>
    </message>
    <message>
        <source>the row with key %1 was deleted since%2</source>
        <translation>la fila con la clave %1 se eliminó desde entonces%2</translation>
    </message>
    <message>
        <source>the row with key %1 changed again since%2</source>
        <translation>la fila con la clave %1 volvió a cambiar desde entonces%2</translation>
    </message>
    <message>
        <source>the row with key %1 is deleted from list %2</source>
        <translation>la fila con la clave %1 se elimina de la lista %2</translation>
    </message>
    <message>
        <source>the row with key %1 comes back to list %2</source>
        <translation>la fila con la clave %1 vuelve a la lista %2</translation>
    </message>
    <message>
        <source>%1 moved the row from office %2 to office %3; restore it there</source>
        <translation>%1 movió la fila de la clínica %2 a la clínica %3; restáurela allí</translation>
    </message>
    <message>
        <source>the row with key %1 of list %2 is put back as it was before change %3</source>
        <translation>la fila con la clave %1 de la lista %2 vuelve a quedar como antes del cambio %3</translation>
    </message>
    <message>
        <source>the row with key %1 could not be deleted</source>
        <translation>no se pudo eliminar la fila con la clave %1</translation>
    </message>
    <message>
        <source>change %1 holds rows that cannot be read, so nothing can be put back</source>
        <translation>el cambio %1 contiene filas que no se pueden leer, así que no se puede restaurar nada</translation>
    </message>
    <message>
        <source>Setting up the database&apos;s roles failed: %1</source>
        <translation>La configuración de los roles de la base de datos ha fallado: %1</translation>
    </message>
    <message>
        <source>an SQLite database has no roles: who may read or change it is decided by the file&apos;s owner and permissions</source>
        <translation>una base de datos SQLite no tiene roles: quién puede leerla o modificarla lo deciden el propietario y los permisos del archivo</translation>
    </message>
    <message>
        <source>the owner&apos;s and the workstations&apos; roles are both needed</source>
        <translation>se necesitan tanto el rol del propietario como el de los puestos de trabajo</translation>
    </message>
    <message>
        <source>the owner&apos;s role must be a role of its own: a workstation that owned the history could rewrite it</source>
        <translation>el rol del propietario debe ser un rol propio: un puesto de trabajo propietario del historial podría reescribirlo</translation>
    </message>
    <message>
        <source>there is no database role &quot;%1&quot;</source>
        <translation>no existe el rol de base de datos «%1»</translation>
    </message>
    <message>
        <source>%1 tables and %2 functions of schema %3 belong to %4; %5 may read and write the lists, and read and seal the history%6</source>
        <translation>%1 tablas y %2 funciones del esquema %3 pertenecen a %4; %5 puede leer y escribir las listas, y leer y sellar el historial%6</translation>
    </message>
    <message>
        <source>; %1 may read everything</source>
        <translation>; %1 puede leerlo todo</translation>
    </message>
    <message>
        <source>row %1 of list %2 is in the lists, but no change of it was recorded: it was written with the recording off</source>
        <translation>la fila %1 de la lista %2 está en las listas, pero no se registró ningún cambio suyo: se escribió con el registro desactivado</translation>
    </message>
    <message>
        <source>a change not sealed yet</source>
        <translation>un cambio aún no sellado</translation>
    </message>
    <message>
        <source>change %1</source>
        <translation>cambio %1</translation>
    </message>
    <message>
        <source>row %1 of list %2 is in the lists, but its last recorded change (%3) deleted it: it came back with the recording off</source>
        <translation>la fila %1 de la lista %2 está en las listas, pero su último cambio registrado (%3) la eliminó: volvió con el registro desactivado</translation>
    </message>
    <message>
        <source>row %1 is not in the lists, but its last recorded change (%2) left it there: it was deleted with the recording off</source>
        <translation>la fila %1 no está en las listas, pero su último cambio registrado (%2) la dejó allí: se eliminó con el registro desactivado</translation>
    </message>
    <message>
        <source>row %1 of list %2 is not as its last recorded change (%3) left it: it was changed with the recording off</source>
        <translation>la fila %1 de la lista %2 no está como la dejó su último cambio registrado (%3): se modificó con el registro desactivado</translation>
    </message>
    <message>
        <source>the history&apos;s table %1 is missing: the history was removed</source>
        <translation>falta la tabla %1 del historial: se eliminó el historial</translation>
    </message>
    <message>
        <source>the lists kept changing while they were compared with their history; check again when it is quieter</source>
        <translation>las listas no dejaron de cambiar mientras se comparaban con su historial; compruébelo de nuevo cuando haya menos actividad</translation>
    </message>
    <message>
        <source>the role &quot;%1&quot; may make objects in schema %2; take that right away first (REVOKE CREATE ON SCHEMA %2 FROM %1)</source>
        <translation>el rol «%1» puede crear objetos en el esquema %2; retírele antes ese derecho (REVOKE CREATE ON SCHEMA %2 FROM %1)</translation>
    </message>
    <message>
        <source>the row after of %1 (key %2) cannot be read: it was written by hand, not by the database&apos;s triggers</source>
        <translation>la fila posterior de %1 (clave %2) no se puede leer: se escribió a mano, no la escribieron los disparadores de la base de datos</translation>
    </message>
</context>
<context>
    <name>PatientLoader</name>
    <message>
        <source>Overflow: %1 does not fit.</source>
        <translation>Desbordamiento: %1 no cabe.</translation>
    </message>
</context>
<context>
    <name>PgDriver</name>
    <message>
        <source>out of memory</source>
        <translation>memoria agotada</translation>
    </message>
    <message>
        <source>no connection to the server</source>
        <translation>no hay conexión con el servidor</translation>
    </message>
    <message>
        <source>the server did not answer within %1 ms; the connection was closed</source>
        <translation>el servidor no respondió en %1 ms; se cerró la conexión</translation>
    </message>
    <message>
        <source>Unable to run the statement</source>
        <translation>No se puede ejecutar la instrucción</translation>
    </message>
    <message>
        <source>no answer from the server</source>
        <translation>sin respuesta del servidor</translation>
    </message>
    <message>
        <source>Unable to connect</source>
        <translation>No se puede conectar</translation>
    </message>
    <message>
        <source>the transaction was rolled back, not committed: a statement in it had failed</source>
        <translation>la transacción se revirtió, no se confirmó: una instrucción de ella había fallado</translation>
    </message>
    <message>
        <source>Could not begin the transaction</source>
        <translation>No se pudo iniciar la transacción</translation>
    </message>
    <message>
        <source>Could not commit the transaction</source>
        <translation>No se pudo confirmar la transacción</translation>
    </message>
    <message>
        <source>Could not roll back the transaction</source>
        <translation>No se pudo revertir la transacción</translation>
    </message>
    <message>
        <source>no rows are coming</source>
        <translation>no llegan filas</translation>
    </message>
    <message>
        <source>Unable to fetch the row</source>
        <translation>No se puede leer la fila</translation>
    </message>
    <message>
        <source>the connection was closed</source>
        <translation>la conexión se cerró</translation>
    </message>
</context>
<context>
    <name>PickerCaptions</name>
    <message>
        <source>Gp</source>
        <translation>Gr</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Código</translation>
    </message>
    <message>
        <source>Letter File Name</source>
        <translation>Archivo de carta</translation>
    </message>
    <message>
        <source>User Defined Data Base</source>
        <translation>Base de datos definida por el usuario</translation>
    </message>
    <message>
        <source>Credit Card</source>
        <translation>Tarjeta de crédito</translation>
    </message>
    <message>
        <source>Credit Card Database</source>
        <translation>Base de datos de tarjetas de crédito</translation>
    </message>
    <message>
        <source>Medical Alert</source>
        <translation>Alerta médica</translation>
    </message>
    <message>
        <source>Medical Alert Database</source>
        <translation>Base de datos de alertas médicas</translation>
    </message>
    <message>
        <source>Sex/ Title</source>
        <translation>Sexo/ Tratamiento</translation>
    </message>
    <message>
        <source>Sex and Title Database</source>
        <translation>Base de datos de sexo y tratamiento</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Tratamiento</translation>
    </message>
    <message>
        <source>Title Database</source>
        <translation>Base de datos de tratamientos</translation>
    </message>
    <message>
        <source>Document File Name</source>
        <translation>Archivo de documento</translation>
    </message>
    <message>
        <source>Database = %1</source>
        <translation>Base de datos = %1</translation>
    </message>
</context>
<context>
    <name>PickerLevel</name>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Editar</translation>
    </message>
    <message>
        <source>D&amp;one</source>
        <translation>&amp;Listo</translation>
    </message>
    <message>
        <source>&amp;New</source>
        <translation>&amp;Nuevo</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;Aceptar</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Cerrar</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>Eli&amp;minar</translation>
    </message>
    <message>
        <source>Hint</source>
        <translation>Sugerencia</translation>
    </message>
    <message>
        <source>F2 edits a cell, the context-menu key attaches a letter file, Escape throws the changes away</source>
        <translation>F2 edita una celda, la tecla de menú contextual adjunta un archivo de carta, Escape descarta los cambios</translation>
    </message>
    <message>
        <source>Enter chooses, Space ticks, a letter or digit finds an entry, Escape closes</source>
        <translation>Intro elige, Espacio marca, una letra o un dígito busca una entrada, Escape cierra</translation>
    </message>
    <message>
        <source>Level %1: %2</source>
        <translation>Nivel %1: %2</translation>
    </message>
    <message>
        <source>%1, editing</source>
        <translation>%1, en edición</translation>
    </message>
    <message>
        <source>Editing the list</source>
        <translation>Editando la lista</translation>
    </message>
    <message>
        <source>%1, tick any number</source>
        <translation>%1, marque cuantas quiera</translation>
    </message>
    <message>
        <source>Tick any number</source>
        <translation>Marque cuantas quiera</translation>
    </message>
    <message>
        <source>%1, choose one</source>
        <translation>%1, elija una</translation>
    </message>
    <message>
        <source>Choose one</source>
        <translation>Elija una</translation>
    </message>
</context>
<context>
    <name>PostgresRows</name>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>La lectura de las filas ha fallado: %1</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
</context>
<context>
    <name>RecordWriter</name>
    <message>
        <source>The value for field %1 of %2 holds %3, which is not allowed: no database stores it.</source>
        <translation>El valor del campo %1 de %2 contiene %3, lo que no está permitido: ninguna base de datos lo almacena.</translation>
    </message>
    <message>
        <source>The value for field %1 of %2 must be %3, not &quot;%4&quot;.</source>
        <translation>El valor del campo %1 de %2 debe ser %3, no «%4».</translation>
    </message>
    <message>
        <source>a whole number</source>
        <translation>un número entero</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>un número</translation>
    </message>
    <message>
        <source>true or false</source>
        <translation>verdadero o falso</translation>
    </message>
    <message>
        <source>The list code &quot;%1&quot; cannot be stored: list codes are told apart without regard to the case of A-Z only, so other letters must be stored in upper case (&quot;%2&quot;), as the component stores them.</source>
        <translation>El código de lista «%1» no se puede guardar: los códigos de lista solo se distinguen sin tener en cuenta mayúsculas y minúsculas en A-Z, por lo que las demás letras deben guardarse en mayúsculas («%2»), tal como las guarda el componente.</translation>
    </message>
    <message>
        <source>The new row of %1 got no usable key in %2 (the key must be generated).</source>
        <translation>La nueva fila de %1 no obtuvo una clave utilizable en %2 (la clave debe generarse automáticamente).</translation>
    </message>
    <message>
        <source>The description is %1 characters long; a list entry&apos;s description holds %2 at most.</source>
        <translation>La descripción tiene %1 caracteres; la descripción de una entrada de lista admite %2 como máximo.</translation>
    </message>
</context>
<context>
    <name>ReferenceHost</name>
    <message>
        <source>Do you want to save the changes?</source>
        <translation>¿Desea guardar los cambios?</translation>
    </message>
    <message>
        <source>The host cannot create the folder &quot;%1&quot;.</source>
        <translation>La aplicación anfitriona no puede crear la carpeta «%1».</translation>
    </message>
</context>
<context>
    <name>SaveFailure</name>
    <message>
        <source>Try again in a moment.</source>
        <translation>Vuelva a intentarlo en un momento.</translation>
    </message>
    <message>
        <source>Another workstation is changing this list</source>
        <translation>Otro puesto de trabajo está modificando esta lista</translation>
    </message>
    <message>
        <source>The practice&apos;s database accepts no changes at the moment</source>
        <translation>La base de datos de la consulta no admite cambios en este momento</translation>
    </message>
    <message>
        <source>Ask whoever looks after the practice&apos;s database.</source>
        <translation>Consulte a la persona que se encarga de la base de datos de la consulta.</translation>
    </message>
    <message>
        <source>The connection to the practice&apos;s database was lost</source>
        <translation>Se perdió la conexión con la base de datos de la consulta</translation>
    </message>
    <message>
        <source>Try again; if it happens again, ask whoever looks after the practice&apos;s database.</source>
        <translation>Vuelva a intentarlo; si ocurre de nuevo, consulte a la persona que se encarga de la base de datos de la consulta.</translation>
    </message>
    <message>
        <source>The practice&apos;s database did not answer in time</source>
        <translation>La base de datos de la consulta no respondió a tiempo</translation>
    </message>
    <message>
        <source>The practice&apos;s database has no room left</source>
        <translation>La base de datos de la consulta no tiene más espacio</translation>
    </message>
    <message>
        <source>The practice&apos;s database refused the change</source>
        <translation>La base de datos de la consulta rechazó el cambio</translation>
    </message>
    <message>
        <source>%1; nothing was saved. %2</source>
        <translation>%1; no se guardó nada. %2</translation>
    </message>
    <message>
        <source>%1; the changes not yet saved are still in the list. %2</source>
        <translation>%1; los cambios aún no guardados siguen en la lista. %2</translation>
    </message>
</context>
<context>
    <name>SeedData</name>
    <message>
        <source>Cannot count the rows of %1: %2</source>
        <translation>No se pueden contar las filas de %1: %2</translation>
    </message>
    <message>
        <source>Cannot empty %1: %2</source>
        <translation>No se puede vaciar %1: %2</translation>
    </message>
    <message>
        <source>The database already holds lists or patients; demo data is only added to an empty database.</source>
        <translation>La base de datos ya contiene listas o pacientes; los datos de demostración solo se añaden a una base de datos vacía.</translation>
    </message>
</context>
<context>
    <name>SelectionCollector</name>
    <message>
        <source> Lines with ($-) symbol is a title line. Try again. </source>
        <translation> Las líneas con el símbolo ($-) son líneas de título. Inténtelo de nuevo. </translation>
    </message>
    <message>
        <source>Enter information</source>
        <translation>Introducir información</translation>
    </message>
</context>
<context>
    <name>SqliteRows</name>
    <message>
        <source>The query failed: %1</source>
        <translation>La consulta ha fallado: %1</translation>
    </message>
    <message>
        <source>Reading the rows failed: %1</source>
        <translation>La lectura de las filas ha fallado: %1</translation>
    </message>
</context>
<context>
    <name>TextRules</name>
    <message>
        <source>a NUL character</source>
        <translation>un carácter NUL</translation>
    </message>
    <message>
        <source>an unpaired UTF-16 surrogate</source>
        <translation>un sustituto UTF-16 sin pareja</translation>
    </message>
    <message>
        <source>A text holding %1 is not allowed as an SQL value: no database stores it.</source>
        <translation>Un texto que contiene %1 no se admite como valor SQL: ninguna base de datos lo almacena.</translation>
    </message>
</context>
<context>
    <name>Transaction</name>
    <message>
        <source>Cannot begin a transaction: %1</source>
        <translation>No se puede iniciar una transacción: %1</translation>
    </message>
    <message>
        <source>Cannot commit: %1</source>
        <translation>No se puede confirmar: %1</translation>
    </message>
</context>
<context>
    <name>VbStrings</name>
    <message>
        <source>Overflow: not a number.</source>
        <translation>Desbordamiento: no es un número.</translation>
    </message>
    <message>
        <source>Overflow: %1 does not fit in a %2.</source>
        <translation>Desbordamiento: %1 no cabe en el tipo %2.</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::grid::GridControl</name>
    <message>
        <source>Grid</source>
        <translation>Cuadrícula</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::grid::GridModel</name>
    <message>
        <source>Heading, cannot be chosen</source>
        <translation>Encabezado, no se puede elegir</translation>
    </message>
</context>
<context>
    <name>viVavazuruv::wkDatabases_Form</name>
    <message>
        <source> ( Editing )</source>
        <translation> ( Edición )</translation>
    </message>
    <message>
        <source> New, Left mouse - To enter new </source>
        <translation> Nuevo, botón izquierdo - Para introducir uno nuevo </translation>
    </message>
    <message>
        <source> Editing Complete, Left mouse - Done </source>
        <translation> Edición terminada, botón izquierdo - Listo </translation>
    </message>
    <message>
        <source> Editing Selection, Left mouse - Edit selection </source>
        <translation> Editar selección, botón izquierdo - Editar la selección </translation>
    </message>
    <message>
        <source> Confirm Selection, Left mouse - OK </source>
        <translation> Confirmar selección, botón izquierdo - Aceptar </translation>
    </message>
    <message>
        <source> Delete Selection, Left mouse - Delete </source>
        <translation> Eliminar selección, botón izquierdo - Eliminar </translation>
    </message>
    <message>
        <source> Close, Left mouse - Exit </source>
        <translation> Cerrar, botón izquierdo - Salir </translation>
    </message>
    <message>
        <source>Are you sure you want to exit?</source>
        <translation>¿Seguro que desea salir?</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source> Can&apos;t find [ %1 ]</source>
        <translation> No se encuentra: [ %1 ]</translation>
    </message>
    <message>
        <source> Lines with ($-) symbol are title lines. Try again. </source>
        <translation> Las líneas con el símbolo ($-) son líneas de título. Inténtelo de nuevo. </translation>
    </message>
    <message>
        <source> User Defined Database</source>
        <translation> Base de datos definida por el usuario</translation>
    </message>
    <message>
        <source>Tavi Word Processor File (*.RTF)| *.RTF|Text File (*.txt)|*.txt|Both File (*.RTF, *.txt)|*.RTF;*.txt</source>
        <translation>Archivo del procesador de textos Tavi (*.RTF)| *.RTF|Archivo de texto (*.txt)|*.txt|Ambos tipos (*.RTF, *.txt)|*.RTF;*.txt</translation>
    </message>
    <message>
        <source>Document file has to be TAVI word processor file or text file.<byte value="xd"/>
<byte value="xd"/>
i.e. files with extension &apos;.RTF&apos;,  or &apos;.TXT&apos;</source>
        <translation>El archivo de documento debe ser un archivo del procesador de textos TAVI o un archivo de texto.<byte value="xd"/>
<byte value="xd"/>
es decir, archivos con la extensión &apos;.RTF&apos; o &apos;.TXT&apos;</translation>
    </message>
    <message>
        <source>Document File</source>
        <translation>Archivo de documento</translation>
    </message>
    <message>
        <source>Pipe sign variables are not supported in this area.<byte value="xd"/>
<byte value="xd"/>
Therefore, the variable will appear as shown.</source>
        <translation>Las variables con barra vertical no se admiten en esta área.<byte value="xd"/>
<byte value="xd"/>
Por lo tanto, la variable aparecerá tal como se muestra.</translation>
    </message>
    <message>
        <source>User Definded Database</source>
        <translation>Base de datos definida por el usuario</translation>
    </message>
    <message>
        <source> Right click on any field to select codes and letters. </source>
        <translation> Haga clic con el botón derecho en cualquier campo para seleccionar códigos y cartas. </translation>
    </message>
    <message>
        <source> Right click on any field to select codes. </source>
        <translation> Haga clic con el botón derecho en cualquier campo para seleccionar códigos. </translation>
    </message>
    <message>
        <source> Right click on any field to select letters. </source>
        <translation> Haga clic con el botón derecho en cualquier campo para seleccionar cartas. </translation>
    </message>
    <message>
        <source>Your changes to the list were not saved: %1</source>
        <translation>Sus cambios en la lista no se han guardado: %1</translation>
    </message>
    <message>
        <source>Editing the list; Done saves it.</source>
        <translation>Editando la lista; Listo la guarda.</translation>
    </message>
    <message>
        <source>Choosing again.</source>
        <translation>De nuevo en selección.</translation>
    </message>
    <message>
        <source>Choosing again; the cursor is on %1.</source>
        <translation>De nuevo en selección; el cursor está en %1.</translation>
    </message>
    <message>
        <source>New entry in row %1 of %2.</source>
        <translation>Nueva entrada en la fila %1 de %2.</translation>
    </message>
    <message>
        <source>Entry deleted.</source>
        <translation>Entrada eliminada.</translation>
    </message>
    <message>
        <source>%1 deleted.</source>
        <translation>Se eliminó %1.</translation>
    </message>
</context>
<context>
    <name>vvdemo::AnswerBox</name>
    <message>
        <source>Copy the whole answer</source>
        <translation>Copiar la respuesta completa</translation>
    </message>
    <message>
        <source>… (%L1 characters in all)</source>
        <translation>… (%L1 caracteres en total)</translation>
    </message>
    <message>
        <source>Right-click and choose &quot;%1&quot; for all of it.</source>
        <translation>Haga clic derecho y elija &quot;%1&quot; para verla completa.</translation>
    </message>
</context>
<context>
    <name>vvdemo::DemoHostWindow</name>
    <message>
        <source>Call</source>
        <translation>Llamar</translation>
    </message>
    <message>
        <source>viVavazuruv demo host</source>
        <translation>viVavazuruv: anfitrión de demostración</translation>
    </message>
    <message>
        <source>Type a group code into Tmp to be answered from the list, or leave it empty to open the picker.</source>
        <translation>Escriba un código de grupo en Tmp para obtener la respuesta de la lista, o déjelo vacío para abrir el selector.</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Anfitrión</translation>
    </message>
    <message>
        <source>Database:</source>
        <translation>Base de datos:</translation>
    </message>
    <message>
        <source>office mode 7: each office keeps its own lists and patients</source>
        <translation>modo de clínica 7: cada clínica tiene sus propias listas y pacientes</translation>
    </message>
    <message>
        <source>GetOfficeMode() now answers %1, GetOfficeID() %2.</source>
        <translation>GetOfficeMode() responde ahora %1, GetOfficeID() %2.</translation>
    </message>
    <message>
        <source>Office:</source>
        <translation>Clínica:</translation>
    </message>
    <message>
        <source>Current patient:</source>
        <translation>Paciente actual:</translation>
    </message>
    <message>
        <source>Lists in this office: %1</source>
        <translation>Listas de esta clínica: %1</translation>
    </message>
    <message>
        <source>(no patient)</source>
        <translation>(ningún paciente)</translation>
    </message>
    <message>
        <source>The patient list could not be read: %1</source>
        <translation>No se pudo leer la lista de pacientes: %1</translation>
    </message>
    <message>
        <source>The patient list is incomplete: %1</source>
        <translation>La lista de pacientes está incompleta: %1</translation>
    </message>
    <message>
        <source>Patient %1 could not be read: %2</source>
        <translation>No se pudo leer el paciente %1: %2</translation>
    </message>
    <message>
        <source>SetCurrentPatientID(%1)   chart %2, provider %3</source>
        <translation>SetCurrentPatientID(%1)   historia clínica %2, profesional %3</translation>
    </message>
    <message>
        <source>returned string</source>
        <translation>cadena devuelta</translation>
    </message>
    <message>
        <source>Entry points</source>
        <translation>Puntos de entrada</translation>
    </message>
    <message>
        <source>Entry point</source>
        <translation>Punto de entrada</translation>
    </message>
    <message>
        <source>Tmp (in)</source>
        <translation>Tmp (entrada)</translation>
    </message>
    <message>
        <source>Arguments</source>
        <translation>Argumentos</translation>
    </message>
    <message>
        <source>Returned string, and the by-reference outputs</source>
        <translation>Cadena devuelta y salidas por referencia</translation>
    </message>
    <message>
        <source>group code, e.g. MRS</source>
        <translation>código de grupo, p. ej. MRS</translation>
    </message>
    <message>
        <source>-1  packed in Tmp</source>
        <translation>-1  empaquetado en Tmp</translation>
    </message>
    <message>
        <source>list code</source>
        <translation>código de lista</translation>
    </message>
    <message>
        <source>With Flag -1, Tmp is sent as five LF-separated fields: this list code, the column, window and frame captions, and the Tmp value.</source>
        <translation>Con Flag -1, Tmp se envía como cinco campos separados por LF: este código de lista, los títulos de columna, ventana y marco, y el valor de Tmp.</translation>
    </message>
    <message>
        <source>start on description</source>
        <translation>empezar en la descripción</translation>
    </message>
    <message>
        <source>Sex / Title</source>
        <translation>Sexo / Tratamiento</translation>
    </message>
    <message>
        <source>Flag</source>
        <translation>Flag</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Lista</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Clave</translation>
    </message>
    <message>
        <source>group code, e.g. V</source>
        <translation>código de grupo, p. ej. V</translation>
    </message>
    <message>
        <source>Credit card</source>
        <translation>Tarjeta de crédito</translation>
    </message>
    <message>
        <source>list CRECARD</source>
        <translation>lista CRECARD</translation>
    </message>
    <message>
        <source>group code, e.g. PEN</source>
        <translation>código de grupo, p. ej. PEN</translation>
    </message>
    <message>
        <source>Medical alerts</source>
        <translation>Alertas médicas</translation>
    </message>
    <message>
        <source>list ALERT, several at once</source>
        <translation>lista ALERT, varias a la vez</translation>
    </message>
    <message>
        <source>Procedures</source>
        <translation>Procedimientos</translation>
    </message>
    <message>
        <source>window caption</source>
        <translation>título de ventana</translation>
    </message>
    <message>
        <source>Multi</source>
        <translation>Múltiple</translation>
    </message>
    <message>
        <source>Show letter</source>
        <translation>Mostrar carta</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Selección</translation>
    </message>
    <message>
        <source>(no Tmp)</source>
        <translation>(sin Tmp)</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Letters</source>
        <translation>Cartas</translation>
    </message>
    <message>
        <source>One choice</source>
        <translation>Una opción</translation>
    </message>
    <message>
        <source>(Tmp is out only)</source>
        <translation>(Tmp es solo de salida)</translation>
    </message>
    <message>
        <source>list reference</source>
        <translation>referencia de lista</translation>
    </message>
    <message>
        <source>Show code</source>
        <translation>Mostrar código</translation>
    </message>
    <message>
        <source>Code list, composed</source>
        <translation>Códigos → nota clínica</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>Código</translation>
    </message>
    <message>
        <source>top %1, left %2 twips</source>
        <translation>arriba %1, izquierda %2 twips</translation>
    </message>
    <message>
        <source>%1 running (window at %2)...</source>
        <translation>%1 en curso (ventana en %2)...</translation>
    </message>
    <message>
        <source>%1 returned %2 characters after %3 ms (window at %4).</source>
        <translation>%1 devolvió %2 caracteres tras %3 ms (ventana en %4).</translation>
    </message>
    <message>
        <source>%1 raised error %2.</source>
        <translation>%1 generó el error %2.</translation>
    </message>
    <message>
        <source>error %1: %2</source>
        <translation>error %1: %2</translation>
    </message>
    <message>
        <source>%1 failed</source>
        <translation>%1 ha fallado</translation>
    </message>
    <message>
        <source>Error %1 (0x%2)

%3</source>
        <translation>Error %1 (0x%2)

%3</translation>
    </message>
    <message>
        <source>%1 failed unexpectedly.</source>
        <translation>%1 falló de forma inesperada.</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Tratamiento</translation>
    </message>
    <message>
        <source>%1 Database</source>
        <translation>Base de datos %1</translation>
    </message>
    <message>
        <source>%1 for %2</source>
        <translation>%1 de %2</translation>
    </message>
    <message>
        <source>Call %1</source>
        <translation>Llamar a %1</translation>
    </message>
    <message>
        <source>Office</source>
        <translation>Consultorio</translation>
    </message>
    <message>
        <source>Current patient</source>
        <translation>Paciente actual</translation>
    </message>
    <message>
        <source>Returned string of %1</source>
        <translation>Cadena devuelta por %1</translation>
    </message>
    <message>
        <source>&amp;Lists</source>
        <translation>&amp;Listas</translation>
    </message>
    <message>
        <source>List &amp;history...</source>
        <translation>&amp;Historial de la lista...</translation>
    </message>
</context>
<context>
    <name>vvdemo::ListHistoryWindow</name>
    <message>
        <source>List history</source>
        <translation>Historial de la lista</translation>
    </message>
    <message>
        <source>List:</source>
        <translation>Lista:</translation>
    </message>
    <message>
        <source>&amp;Show</source>
        <translation>&amp;Mostrar</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Cambio</translation>
    </message>
    <message>
        <source>When</source>
        <translation>Cuándo</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Usuario</translation>
    </message>
    <message>
        <source>Workstation</source>
        <translation>Puesto</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Acción</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Clave</translation>
    </message>
    <message>
        <source>Before</source>
        <translation>Antes</translation>
    </message>
    <message>
        <source>After</source>
        <translation>Después</translation>
    </message>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Restaurar</translation>
    </message>
    <message>
        <source>Put the row back as it stood before the change selected</source>
        <translation>Devolver la fila al estado anterior al cambio seleccionado</translation>
    </message>
    <message>
        <source>(another program)</source>
        <translation>(otro programa)</translation>
    </message>
    <message numerus="yes">
        <source>%n change(s) of list %1, newest first</source>
        <translation>
            <numerusform>%n cambio de la lista %1, el más reciente primero</numerusform>
            <numerusform>%n cambios de la lista %1, los más recientes primero</numerusform>
        </translation>
    </message>
    <message>
        <source>Restore change %1?

Then %2.</source>
        <translation>¿Restaurar el cambio %1?

Entonces: %2.</translation>
    </message>
    <message>
        <source>Change %1 cannot be restored: %2.</source>
        <translation>El cambio %1 no se puede restaurar: %2.</translation>
    </message>
</context>
</TS>
